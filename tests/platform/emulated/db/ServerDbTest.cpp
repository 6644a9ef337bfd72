#include "platform/emulated/db/ServerDb.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

#include "tests/support/TempFolder.h"

using platform::emulated::ServerDb;
using platform::emulated::ServerError;
using testsupport::TempFolder;

namespace {

void RunSql(const std::string& file, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

TEST(ServerDb, MissingServerIsAClearErrorNotANewServer) {
    TempFolder folder;
    try {
        ServerDb::Open(folder.File("server"));
        FAIL() << "opened a server that does not exist";
    } catch (const ServerError& error) {
        EXPECT_NE(std::string(error.what()).find("morvane-lab init"), std::string::npos);
    }
}

TEST(ServerDb, CreatedServerReopensWithItsData) {
    TempFolder folder;
    {
        auto db = ServerDb::Open(folder.File("server"), true);
        db->Execute("CREATE TABLE IF NOT EXISTS scratch(x INTEGER)");
        db->Prepare("INSERT INTO scratch(x) VALUES(?1)").Bind(1, int64_t{42}).Run();
    }
    auto db = ServerDb::Open(folder.File("server"));
    auto query = db->Prepare("SELECT x FROM scratch");
    ASSERT_TRUE(query.Step());
    EXPECT_EQ(query.Int(0), 42);
}

TEST(ServerDb, ForeignDatabaseIsRefusedAndLeftAlone) {
    TempFolder folder;
    RunSql(folder.File("server.db"), "CREATE TABLE mine(x); INSERT INTO mine VALUES(7);");
    EXPECT_THROW(ServerDb::Open(folder.path()), ServerError);
    // The foreign data survives.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(folder.File("server.db").c_str(), &db), SQLITE_OK);
    sqlite3_stmt* statement = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT x FROM mine", -1, &statement, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(statement), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(statement, 0), 7);
    sqlite3_finalize(statement);
    sqlite3_close(db);
}

TEST(ServerDb, NewerSchemaVersionIsRefused) {
    TempFolder folder;
    ServerDb::Open(folder.path(), true);
    RunSql(folder.File("server.db"), "PRAGMA user_version=99");
    try {
        ServerDb::Open(folder.path());
        FAIL() << "opened a newer server";
    } catch (const ServerError& error) {
        EXPECT_NE(std::string(error.what()).find("version 99"), std::string::npos);
    }
}

TEST(ServerDb, TransactionRollsBackUnlessCommitted) {
    TempFolder folder;
    auto db = ServerDb::Open(folder.path(), true);
    db->Execute("CREATE TABLE scratch(x INTEGER)");
    {
        platform::emulated::DbTransaction transaction(*db);
        db->Execute("INSERT INTO scratch VALUES(1)");
    }
    auto count = db->Prepare("SELECT count(*) FROM scratch");
    count.Step();
    EXPECT_EQ(count.Int(0), 0);
}

TEST(ServerDb, ProcessesOpeningOneServerAtOnceWaitInsteadOfFailing) {
    TempFolder folder;
    ServerDb::Open(folder.path(), true);
    std::vector<pid_t> children;
    for (int child = 0; child < 4; ++child) {
        pid_t pid = fork();
        ASSERT_NE(pid, -1);
        if (pid == 0) {
            int failures = 0;
            for (int i = 0; i < 25; ++i) {
                try {
                    ServerDb::Open(folder.path());
                } catch (const ServerError&) {
                    ++failures;
                }
            }
            _exit(failures == 0 ? 0 : 1);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
}

// The store creates a sink while it saves an item inside a transaction, and
// the sink's registry opens the server anew: that open used to wait out the
// whole busy timeout (ten seconds) and then fail.
TEST(ServerDb, OpeningACurrentServerDoesNotWaitForAnotherWriter) {
    TempFolder folder;
    auto writer = ServerDb::Open(folder.path(), true);
    platform::emulated::DbTransaction transaction(*writer);
    writer->Execute("INSERT INTO machine_facts(key, value) VALUES('probe', 'x')");

    const auto start = std::chrono::steady_clock::now();
    std::shared_ptr<ServerDb> reader;
    ASSERT_NO_THROW(reader = ServerDb::Open(folder.path()));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    auto count = reader->Prepare("SELECT count(*) FROM machine_facts");
    ASSERT_TRUE(count.Step());
    EXPECT_EQ(count.Int(0), 0) << "the other connection's write is not committed yet";
}

TEST(ServerDb, TableMissingFromACurrentServerIsMadeAtTheNextOpen) {
    TempFolder folder;
    ServerDb::Open(folder.path(), true);
    RunSql(folder.path() + "/server.db", "DROP TABLE machine_facts");
    auto db = ServerDb::Open(folder.path());
    auto count = db->Prepare("SELECT count(*) FROM sqlite_master WHERE name = 'machine_facts'");
    ASSERT_TRUE(count.Step());
    EXPECT_EQ(count.Int(0), 1);
}

int OpenStatements(const ServerDb& db) {
    int count = 0;
    for (sqlite3_stmt* s = sqlite3_next_stmt(db.handle(), nullptr); s;
         s = sqlite3_next_stmt(db.handle(), s))
        ++count;
    return count;
}

TEST(ServerDbStatements, OneTextIsPreparedOnceAndStartsAfreshAtEveryUse) {
    TempFolder folder;
    auto db = ServerDb::Open(folder.path(), true);
    db->Execute("CREATE TABLE scratch(x INTEGER)");
    db->Execute("INSERT INTO scratch VALUES(1), (2), (3)");
    const int before = OpenStatements(*db);
    for (int use = 0; use < 3; ++use) {
        auto query = db->Prepare("SELECT x, ?1 FROM scratch ORDER BY x");
        ASSERT_TRUE(query.Step());
        EXPECT_EQ(query.Int(0), 1) << "a statement left in the middle starts at the first row";
        EXPECT_TRUE(query.IsNull(1)) << "no binding of an earlier use is left";
        query.Bind(1, int64_t{7});
    }
    EXPECT_EQ(OpenStatements(*db), before + 1);
}

TEST(ServerDbStatements, TwoUsesOfOneTextAtOnceDoNotShareAStatement) {
    TempFolder folder;
    auto db = ServerDb::Open(folder.path(), true);
    db->Execute("CREATE TABLE scratch(x INTEGER)");
    db->Execute("INSERT INTO scratch VALUES(1), (2)");
    auto outer = db->Prepare("SELECT x FROM scratch ORDER BY x");
    ASSERT_TRUE(outer.Step());
    {
        auto inner = db->Prepare("SELECT x FROM scratch ORDER BY x");
        ASSERT_TRUE(inner.Step());
        ASSERT_TRUE(inner.Step());
        EXPECT_EQ(inner.Int(0), 2);
    }
    EXPECT_EQ(outer.Int(0), 1);
    ASSERT_TRUE(outer.Step());
    EXPECT_EQ(outer.Int(0), 2);
}

// A statement that outlives its server is finalized, not handed back.
TEST(ServerDbStatements, StatementOutlivingItsServerEndsCleanly) {
    TempFolder folder;
    struct Held {
        std::shared_ptr<ServerDb> db;
        platform::emulated::Statement query;
    };
    auto db = ServerDb::Open(folder.path(), true);
    Held held{db, db->Prepare("SELECT count(*) FROM sqlite_master")};
    ASSERT_TRUE(held.query.Step());
    EXPECT_GT(held.query.Int(0), 0);
    db.reset();
    held.db.reset();
}

TEST(ServerFolder, EnvironmentVariableWinsOverTheDefault) {
    ::setenv("MORVANE_SERVER", "/tmp/some-server", 1);
    EXPECT_EQ(platform::emulated::ServerFolder(), "/tmp/some-server");
    ::unsetenv("MORVANE_SERVER");
    EXPECT_NE(platform::emulated::ServerFolder().find("morvane/server"), std::string::npos);
}

}  // namespace
