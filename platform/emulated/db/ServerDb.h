#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <typeindex>
#include <unordered_map>
#include <vector>

namespace platform::emulated {

// The folder of the emulated server this process works on: $MORVANE_SERVER,
// else the embedded default folder under the user's data directory.
std::string ServerFolder();

// The embedded default folder ($XDG_DATA_HOME or ~/.local/share, then
// morvane/server).
std::string DefaultServerFolder();

// A file as the file system knows it: a path replaced by another file
// keeps its name but not its key.
struct FileKey {
    uint64_t device = 0;
    uint64_t inode = 0;
    bool operator==(const FileKey&) const = default;
};

// The file at path as it is now; none when it is missing.
std::optional<FileKey> FileKeyOf(const std::string& path);
// The database file the server folder holds now; none when it holds none.
std::optional<FileKey> ServerFileKeyOf(const std::string& folder);

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
              std::vector<sqlite3_stmt*>* entry);

    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
    std::shared_ptr<StatementCache> cache_;
    std::vector<sqlite3_stmt*>* entry_ = nullptr;
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

    // Whether a transaction of this connection's own is open: one begun
    // with BEGIN, not a read snapshot (ReadSnapshot below).
    bool InTransaction() const;
    // Whether this connection holds the server's write lock, which every
    // other connection's write waits for.
    bool HoldsWriteLock() const;
    // Whether a read snapshot is open, and which one: every snapshot begun
    // has a number of its own, so a value read inside one can be kept for
    // the rest of it.
    bool InSnapshot() const { return snapshotOpen_; }
    uint64_t SnapshotNumber() const { return snapshotNumber_; }
    // Ends an open snapshot's read transaction now, before a write: a
    // write inside it could not wait for another writer. Reads after it,
    // until the snapshot's scope ends, see the database as it is then.
    void LeaveSnapshot();
    // The connection whose snapshot is open on this thread, if any: a
    // part of the server called in the middle of a store operation (the
    // activation creating a sink) can go by what that snapshot read.
    static ServerDb* SnapshotOnThisThread();

    // Which database file the connection has open: equal keys, one file.
    // None when the file could not be told for certain.
    std::optional<FileKey> File() const { return file_; }

    // A number that changes with every change of the server's
    // configuration, in whatever process: the store's identity, stores,
    // mailboxes and folders, the registration items, the class registry
    // and the planted faults (triggers of the schema change it). Values
    // made from the configuration can be kept while it stays the same.
    // Only inside a snapshot: read once there, so that what is kept
    // matches what the snapshot sees; none outside one, and none once the
    // connection wrote inside it.
    std::optional<int64_t> ConfigurationGeneration();

    // A value kept with this connection for the configuration generation
    // of the open snapshot; a fresh one (default-made) when the
    // configuration changed since it was made. Null outside a snapshot:
    // the caller reads the database then.
    template <typename Kept>
    Kept* KeptForConfiguration() {
        std::optional<int64_t> generation = ConfigurationGeneration();
        if (!generation)
            return nullptr;
        KeptValue& slot = kept_[std::type_index(typeid(Kept))];
        if (!slot.value || slot.generation != *generation) {
            slot.value = std::make_shared<Kept>();
            slot.generation = *generation;
        }
        return static_cast<Kept*>(slot.value.get());
    }

  private:
    friend class ReadSnapshot;
    ServerDb(std::string folder, sqlite3* db);
    void EnterSnapshot();
    void ExitSnapshot();
    void ForgetThreadSnapshot();
    void CreateOrCheckSchema();
    // The first column of the first row of a query without parameters.
    int64_t QueryInt(const std::string& sql);

    std::string folder_;
    sqlite3* db_;
    std::shared_ptr<StatementCache> cache_;
    int snapshotDepth_ = 0;
    bool snapshotOpen_ = false;
    // Whether this connection's snapshot is the one of its thread.
    bool threadSnapshot_ = false;
    uint64_t snapshotNumber_ = 0;
    std::optional<FileKey> file_;
    std::optional<int64_t> generation_;
    uint64_t generationSnapshot_ = 0;
    struct KeptValue {
        int64_t generation = 0;
        std::shared_ptr<void> value;
    };
    std::unordered_map<std::type_index, KeptValue> kept_;
};

// The reads of one operation in one read transaction: they see the
// database as one state, and its lock is taken and given back once rather
// than at every statement. Inside a transaction of the connection, or of
// an enclosing snapshot, it adds nothing. A write ends it early
// (ServerDb::LeaveSnapshot).
class ReadSnapshot {
  public:
    explicit ReadSnapshot(ServerDb& db) : db_(db) { db_.EnterSnapshot(); }
    ~ReadSnapshot() { db_.ExitSnapshot(); }
    ReadSnapshot(const ReadSnapshot&) = delete;
    ReadSnapshot& operator=(const ReadSnapshot&) = delete;

  private:
    ServerDb& db_;
};

// An immediate write transaction on the server database; rolled back unless
// committed. An open read snapshot ends first.
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
