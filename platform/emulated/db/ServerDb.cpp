#include "platform/emulated/db/ServerDb.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <set>
#include <unordered_map>

namespace platform::emulated {

namespace {

constexpr std::string_view kApplicationId = "morvane-emulated-server";
constexpr int kBusyTimeoutMs = 10000;

[[noreturn]] void ThrowDbError(sqlite3* db, std::string_view what) {
    throw ServerError(std::string(what) + ": " + (db ? sqlite3_errmsg(db) : "out of memory"));
}

// The name of the table or index a schema statement creates, the word after
// "IF NOT EXISTS"; empty when the statement names none that way.
std::string_view CreatedObjectName(std::string_view statement) {
    constexpr std::string_view kMarker = "IF NOT EXISTS";
    size_t start = statement.find(kMarker);
    if (start == std::string_view::npos)
        return {};
    start = statement.find_first_not_of(" \t\r\n", start + kMarker.size());
    if (start == std::string_view::npos)
        return {};
    size_t end = statement.find_first_not_of(
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_", start);
    return statement.substr(start, end == std::string_view::npos ? end : end - start);
}

// Whether every table and index of the schema is in the database; a
// statement whose object cannot be told counts as missing. One query, since
// every connection the store opens asks.
bool SchemaIsComplete(sqlite3* db) {
    std::set<std::string, std::less<>> present;
    Statement names(db, "SELECT name FROM sqlite_master");
    while (names.Step())
        present.insert(names.Text(0));
    for (std::string_view statement : ServerSchemaStatements()) {
        std::string_view name = CreatedObjectName(statement);
        if (name.empty() || !present.contains(name))
            return false;
    }
    return true;
}

// The connection whose read snapshot is open on this thread. Touched only
// while a snapshot is open: a library that uses the server's registry and
// is unloaded again (DllRegisterServer run by regsvr) never gets a thread
// storage block of its own, which the leak checker would trip over.
thread_local ServerDb* snapshotOnThisThread = nullptr;

// Statements whose texts the store runs again and again are kept this many
// texts deep; beyond that they are finalized as before.
constexpr size_t kMaxCachedTexts = 256;

}  // namespace

// The prepared statements of one database not in use now, by text. Shared
// with the statements taken from it, so one that outlives its database is
// finalized instead of given back. A text's entry stays once made, so a
// statement gives itself back to its entry without looking the text up.
class StatementCache {
  public:
    using Entry = std::vector<sqlite3_stmt*>;

    // A kept statement of the text (or null), and the entry to give it back
    // to (null when no more texts are kept).
    std::pair<sqlite3_stmt*, Entry*> Take(std::string_view sql) {
        std::lock_guard lock(mutex_);
        auto found = free_.find(sql);
        if (found == free_.end()) {
            if (free_.size() >= kMaxCachedTexts)
                return {nullptr, nullptr};
            found = free_.emplace(std::string(sql), Entry()).first;
        }
        Entry& entry = found->second;
        if (entry.empty())
            return {nullptr, &entry};
        sqlite3_stmt* statement = entry.back();
        entry.pop_back();
        return {statement, &entry};
    }
    void Give(Entry* entry, sqlite3_stmt* statement) {
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
        std::lock_guard lock(mutex_);
        if (closed_ || !entry) {
            sqlite3_finalize(statement);
            return;
        }
        entry->push_back(statement);
    }
    // Finalizes every kept statement; later ones are finalized when given.
    void Close() {
        std::lock_guard lock(mutex_);
        closed_ = true;
        for (auto& [sql, statements] : free_) {
            for (sqlite3_stmt* statement : statements)
                sqlite3_finalize(statement);
            statements.clear();
        }
    }

  private:
    struct TextHash {
        using is_transparent = void;
        size_t operator()(std::string_view text) const {
            return std::hash<std::string_view>()(text);
        }
    };

    std::mutex mutex_;
    bool closed_ = false;
    std::unordered_map<std::string, Entry, TextHash, std::equal_to<>> free_;
};

std::string DefaultServerFolder() {
    std::filesystem::path base;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = std::filesystem::path(home) / ".local" / "share";
    } else {
        base = std::filesystem::current_path();
    }
    return (base / "morvane" / "server").string();
}

std::optional<FileKey> FileKeyOf(const std::string& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0)
        return std::nullopt;
    return FileKey{static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino)};
}

std::optional<FileKey> ServerFileKeyOf(const std::string& folder) {
    return FileKeyOf((std::filesystem::path(folder) / "server.db").string());
}

std::string ServerFolder() {
    if (const char* folder = std::getenv("MORVANE_SERVER"); folder && *folder)
        return folder;
    return DefaultServerFolder();
}

Statement::Statement(sqlite3* db, std::string_view sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &statement_, nullptr) !=
        SQLITE_OK) {
        ThrowDbError(db, "cannot prepare statement");
    }
}

Statement::Statement(sqlite3* db, sqlite3_stmt* statement, std::shared_ptr<StatementCache> cache,
                     std::vector<sqlite3_stmt*>* entry)
    : db_(db), statement_(statement), cache_(std::move(cache)), entry_(entry) {}

Statement::~Statement() {
    if (cache_)
        cache_->Give(entry_, statement_);
    else
        sqlite3_finalize(statement_);
}

Statement& Statement::Bind(int index, std::string_view value) {
    sqlite3_bind_text(statement_, index, value.data(), static_cast<int>(value.size()),
                      SQLITE_TRANSIENT);
    return *this;
}

Statement& Statement::Bind(int index, int64_t value) {
    sqlite3_bind_int64(statement_, index, value);
    return *this;
}

Statement& Statement::BindNull(int index) {
    sqlite3_bind_null(statement_, index);
    return *this;
}

Statement& Statement::Bind(int index, const std::optional<std::string>& value) {
    return value ? Bind(index, std::string_view(*value)) : BindNull(index);
}

bool Statement::Step() {
    int rc = sqlite3_step(statement_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    ThrowDbError(db_, "database step failed");
}

void Statement::Run() {
    while (Step()) {
    }
}

void Statement::Reset() {
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
}

bool Statement::IsNull(int column) const {
    return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

std::string Statement::Text(int column) const {
    const unsigned char* text = sqlite3_column_text(statement_, column);
    if (!text)
        return "";
    return std::string(reinterpret_cast<const char*>(text),
                       static_cast<size_t>(sqlite3_column_bytes(statement_, column)));
}

int64_t Statement::Int(int column) const {
    return sqlite3_column_int64(statement_, column);
}

std::optional<std::string> Statement::OptionalText(int column) const {
    if (IsNull(column))
        return std::nullopt;
    return Text(column);
}

std::shared_ptr<ServerDb> ServerDb::Open(const std::string& folder, bool create) {
    namespace fs = std::filesystem;
    fs::path file = fs::path(folder) / "server.db";
    if (!create && !fs::exists(file)) {
        throw ServerError("no emulated server in " + folder +
                          " (create one with 'morvane-lab init' or set MORVANE_SERVER)");
    }
    if (create) {
        std::error_code ec;
        fs::create_directories(folder, ec);
        if (ec)
            throw ServerError("cannot create server folder " + folder + ": " + ec.message());
    }
    const std::optional<FileKey> before = FileKeyOf(file.string());
    sqlite3* db = nullptr;
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
    if (sqlite3_open_v2(file.string().c_str(), &db, flags, nullptr) != SQLITE_OK) {
        std::string message = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        throw ServerError("cannot open " + file.string() + ": " + message);
    }
    std::shared_ptr<ServerDb> server(new ServerDb(folder, db));
    server->CreateOrCheckSchema();
    // A file replaced while it was opened cannot be told for certain; one
    // made here is the one there now.
    const std::optional<FileKey> after = FileKeyOf(file.string());
    if (after && (before ? before == after : create))
        server->file_ = after;
    return server;
}

std::shared_ptr<ServerDb> ServerDb::OpenDefault() {
    return Open(ServerFolder());
}

ServerDb::ServerDb(std::string folder, sqlite3* db)
    : folder_(std::move(folder)), db_(db), cache_(std::make_shared<StatementCache>()) {
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
}

ServerDb::~ServerDb() {
    ForgetThreadSnapshot();
    cache_->Close();
    sqlite3_close_v2(db_);
}

Statement ServerDb::Prepare(std::string_view sql) {
    auto [statement, entry] = cache_->Take(sql);
    if (statement)
        return Statement(db_, statement, cache_, entry);
    if (sqlite3_prepare_v3(db_, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                           &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        ThrowDbError(db_, "cannot prepare statement");
    }
    return Statement(db_, statement, cache_, entry);
}

void ServerDb::Execute(std::string_view sql) {
    std::string text(sql);
    char* error = nullptr;
    if (sqlite3_exec(db_, text.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::string message = error ? error : "unknown error";
        sqlite3_free(error);
        throw ServerError("database error: " + message);
    }
}

int64_t ServerDb::QueryInt(const std::string& sql) {
    Statement statement(db_, sql);
    return statement.Step() ? statement.Int(0) : 0;
}

int64_t ServerDb::LastInsertId() const {
    return sqlite3_last_insert_rowid(db_);
}
int ServerDb::Changes() const {
    return sqlite3_changes(db_);
}

bool ServerDb::InTransaction() const {
    return sqlite3_get_autocommit(db_) == 0 && !snapshotOpen_;
}

bool ServerDb::HoldsWriteLock() const {
    return sqlite3_txn_state(db_, nullptr) == SQLITE_TXN_WRITE;
}

ServerDb* ServerDb::SnapshotOnThisThread() {
    return snapshotOnThisThread;
}

void ServerDb::EnterSnapshot() {
    if (snapshotDepth_ == 0 && sqlite3_get_autocommit(db_) != 0) {
        Prepare("BEGIN").Run();
        snapshotOpen_ = true;
        ++snapshotNumber_;
        if (!snapshotOnThisThread) {
            snapshotOnThisThread = this;
            threadSnapshot_ = true;
        }
    }
    ++snapshotDepth_;
}

void ServerDb::ExitSnapshot() {
    if (--snapshotDepth_ == 0)
        LeaveSnapshot();
}

void ServerDb::ForgetThreadSnapshot() {
    if (threadSnapshot_) {
        snapshotOnThisThread = nullptr;
        threadSnapshot_ = false;
    }
}

std::optional<int64_t> ServerDb::ConfigurationGeneration() {
    // A write made on this connection inside the snapshot (a test planting
    // a fault in the middle of a save) is seen by the reads after it, so
    // nothing kept from before may stand for them.
    if (!snapshotOpen_ || sqlite3_txn_state(db_, "main") == SQLITE_TXN_WRITE)
        return std::nullopt;
    if (generationSnapshot_ != snapshotNumber_) {
        generation_.reset();
        Statement query = Prepare("SELECT value FROM configuration_generation WHERE id = 1");
        if (query.Step())
            generation_ = query.Int(0);
        generationSnapshot_ = snapshotNumber_;
    }
    return generation_;
}

void ServerDb::LeaveSnapshot() {
    if (!snapshotOpen_)
        return;
    snapshotOpen_ = false;
    ForgetThreadSnapshot();
    Statement commit = Prepare("COMMIT");
    if (sqlite3_step(commit.statement_) != SQLITE_DONE || sqlite3_get_autocommit(db_) == 0) {
        // Nothing was written: whatever kept the read open, it ends here.
        commit.Reset();
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

void ServerDb::CreateOrCheckSchema() {
    Execute("PRAGMA journal_mode=WAL");
    Execute("PRAGMA foreign_keys=ON");
    Execute("PRAGMA synchronous=NORMAL");

    // Every read here is finished before the write transaction begins: a
    // statement still open would keep a read lock that another process's
    // BEGIN IMMEDIATE cannot wait out.
    const int64_t fileVersion = QueryInt("PRAGMA user_version");
    const bool empty = QueryInt("SELECT count(*) FROM sqlite_master WHERE type='table'") == 0;

    if (!empty) {
        bool ours = QueryInt(
                        "SELECT count(*) FROM sqlite_master WHERE type='table' AND "
                        "name='morvane_meta'") == 1 &&
                    QueryInt(
                        "SELECT count(*) FROM morvane_meta WHERE key='application' AND "
                        "value='" +
                        std::string(kApplicationId) + "'") == 1;
        if (!ours) {
            throw ServerError(folder_ + "/server.db is not a Morvane emulated server database");
        }
        if (fileVersion > kServerSchemaVersion) {
            throw ServerError(folder_ + "/server.db has schema version " +
                              std::to_string(fileVersion) + "; this program knows version " +
                              std::to_string(kServerSchemaVersion) + " and older");
        }
    }

    // A server of this version with its whole schema needs no write, and
    // opening it must not wait for a write transaction of another
    // connection: the store creates sinks, whose registry opens the server
    // anew, while it saves an item inside a transaction.
    if (!empty && fileVersion == kServerSchemaVersion && SchemaIsComplete(db_))
        return;

    DbTransaction transaction(*this);
    for (std::string_view statement : ServerSchemaStatements())
        Execute(statement);
    Statement app(db_, "INSERT OR IGNORE INTO morvane_meta(key, value) VALUES('application', ?1)");
    app.Bind(1, kApplicationId).Run();
    // A server starts at a number of its own, so that two servers are never
    // taken for one that did not change.
    Execute("INSERT OR IGNORE INTO configuration_generation(id, value) VALUES(1, random() / 4)");
    Execute("PRAGMA user_version=" + std::to_string(kServerSchemaVersion));
    transaction.Commit();
}

DbTransaction::DbTransaction(ServerDb& db) : db_(db) {
    db_.LeaveSnapshot();
    db_.Execute("BEGIN IMMEDIATE");
}

DbTransaction::~DbTransaction() {
    if (open_)
        sqlite3_exec(db_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void DbTransaction::Commit() {
    db_.Execute("COMMIT");
    open_ = false;
}

}  // namespace platform::emulated
