#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace platform::emulated {

// The folder of the emulated server this process works on: $MORVANE_SERVER,
// else the embedded default folder under the user's data directory.
std::string ServerFolder();

// The embedded default folder ($XDG_DATA_HOME or ~/.local/share, then
// morvane/server).
std::string DefaultServerFolder();

class StatementCache;

// A prepared statement with positional parameters (1-based). One made by
// ServerDb::Prepare goes back to its database's cache, reset, when it ends.
class Statement {
  public:
    Statement(sqlite3* db, std::string_view sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& Bind(int index, std::string_view value);
    Statement& Bind(int index, int64_t value);
    Statement& BindNull(int index);
    Statement& Bind(int index, const std::optional<std::string>& value);

    // Runs one step: true while a row is available.
    bool Step();
    // Runs to the end (for statements without result rows).
    void Run();
    void Reset();

    bool IsNull(int column) const;
    std::string Text(int column) const;
    int64_t Int(int column) const;
    std::optional<std::string> OptionalText(int column) const;

  private:
    friend class ServerDb;
    Statement(sqlite3* db, sqlite3_stmt* statement, std::shared_ptr<StatementCache> cache,
              std::string sql);

    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
    std::shared_ptr<StatementCache> cache_;
    std::string sql_;
};

// One emulated server's database, server.db in the server folder. Opened in
// WAL mode with a busy timeout, so several processes can share one server.
// The schema is created and versioned here; a file of a newer version or of
// another application is refused with a clear error, never reset.
class ServerDb {
  public:
    // Opens the server in folder. With create, a missing folder and database
    // are made; without it a missing server throws ServerError.
    static std::shared_ptr<ServerDb> Open(const std::string& folder, bool create = false);
    // Opens the server of ServerFolder().
    static std::shared_ptr<ServerDb> OpenDefault();

    ~ServerDb();
    ServerDb(const ServerDb&) = delete;
    ServerDb& operator=(const ServerDb&) = delete;

    const std::string& folder() const { return folder_; }
    sqlite3* handle() const { return db_; }

    // A statement of the text given; prepared once per text and kept, since
    // the store runs the same few statements at every save.
    Statement Prepare(std::string_view sql);
    void Execute(std::string_view sql);
    int64_t LastInsertId() const;
    int Changes() const;

  private:
    ServerDb(std::string folder, sqlite3* db);
    void CreateOrCheckSchema();
    // The first column of the first row of a query without parameters.
    int64_t QueryInt(const std::string& sql);

    std::string folder_;
    sqlite3* db_;
    std::shared_ptr<StatementCache> cache_;
};

// An immediate write transaction on the server database; rolled back unless
// committed.
class DbTransaction {
  public:
    explicit DbTransaction(ServerDb& db);
    ~DbTransaction();
    DbTransaction(const DbTransaction&) = delete;
    DbTransaction& operator=(const DbTransaction&) = delete;
    void Commit();

  private:
    ServerDb& db_;
    bool open_ = true;
};

// A failure of the emulated server itself (missing server, foreign file,
// database error), as opposed to a platform error the emulation reports.
class ServerError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The schema version this code writes and reads.
constexpr int kServerSchemaVersion = 1;

// The statements that create the tables of every part of the emulated
// server (ServerSchema.cpp). Each part appends its own.
const std::vector<std::string_view>& ServerSchemaStatements();

}  // namespace platform::emulated
