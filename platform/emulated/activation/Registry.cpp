#include "platform/emulated/activation/Registry.h"

#include <array>
#include <string_view>

#include "platform/ComError.h"
#include "platform/Text.h"
#include "platform/emulated/activation/ActivationLoader.h"

namespace platform::emulated {

namespace {

// A group of writes that lands whole: its own transaction, or part of the
// caller's when one is already open on the connection.
class WriteGroup {
  public:
    explicit WriteGroup(ServerDb& db) {
        if (sqlite3_get_autocommit(db.handle()))
            transaction_.emplace(db);
    }
    void Commit() {
        if (transaction_)
            transaction_->Commit();
    }

  private:
    std::optional<DbTransaction> transaction_;
};

// Text parameters bind as views (an std::string would also match the
// optional overload).
std::string_view AsText(const std::string& text) {
    return text;
}

constexpr std::string_view kClassColumns =
    "clsid, prog_id, library_path, threading_model, type_library, type_library_version, "
    "application";
// The class entries with their library's kind.
constexpr std::string_view kSelectClasses =
    "SELECT c.clsid, c.prog_id, c.library_path, c.threading_model, c.type_library, "
    "c.type_library_version, c.application, l.kind FROM registry_classes c "
    "LEFT JOIN registry_libraries l ON l.library_path = c.library_path ";

constexpr std::string_view kNativeLibrary = "native";
constexpr std::string_view kWindowsLibrary = "windows";

LibraryKind KindOfText(const std::optional<std::string>& text) {
    if (text == kNativeLibrary)
        return LibraryKind::Native;
    if (text == kWindowsLibrary)
        return LibraryKind::Windows;
    return LibraryKind::Unknown;
}

// The row's columns from first on, in the order of kSelectClasses.
ClassEntry ReadClass(const Statement& row, int first = 0) {
    ClassEntry entry;
    entry.clsid = row.Text(first);
    entry.progId = row.Text(first + 1);
    entry.libraryPath = row.Text(first + 2);
    entry.threadingModel = row.Text(first + 3);
    entry.typeLibraryId = row.Text(first + 4);
    entry.typeLibraryVersion = row.Text(first + 5);
    entry.application = row.OptionalText(first + 6);
    entry.libraryKind = KindOfText(row.OptionalText(first + 7));
    return entry;
}

std::vector<ClassEntry> ReadClasses(Statement& query) {
    std::vector<ClassEntry> entries;
    while (query.Step())
        entries.push_back(ReadClass(query));
    return entries;
}

std::string CanonicalHive(const std::string& hive) {
    static constexpr std::array<std::string_view, 5> kHives = {
        "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS",
        "HKEY_CURRENT_CONFIG"};
    for (std::string_view known : kHives) {
        if (text::EqualsNoCase(hive, known))
            return std::string(known);
    }
    throw ComError(hresult::E_INVALIDARG, "Unknown registry hive: " + hive);
}

// The key path without backslashes at either end ("" is the hive itself).
std::string CanonicalPath(const std::string& path) {
    size_t first = path.find_first_not_of('\\');
    if (first == std::string::npos)
        return "";
    size_t last = path.find_last_not_of('\\');
    return path.substr(first, last - first + 1);
}

// Resets a kept statement when its use ends, so that its read ends too.
class StatementReset {
  public:
    explicit StatementReset(Statement& statement) : statement_(statement) {}
    ~StatementReset() { statement_.Reset(); }
    StatementReset(const StatementReset&) = delete;
    StatementReset& operator=(const StatementReset&) = delete;

  private:
    Statement& statement_;
};

}  // namespace

LibraryKind LibraryKindOfClass(const ClassEntry& entry) {
    if (entry.libraryKind != LibraryKind::Unknown)
        return entry.libraryKind;
    return LibraryKindOf(entry.libraryPath);
}

Registry::Registry(std::shared_ptr<ServerDb> db) : db_(std::move(db)) {}
Registry::~Registry() = default;
Registry::Registry(Registry&&) noexcept = default;
Registry& Registry::operator=(Registry&&) noexcept = default;

std::optional<ProgIdClass> Registry::ResolveProgId(const std::string& progId) {
    if (!resolveProgId_) {
        resolveProgId_ = std::make_unique<Statement>(
            db_->handle(),
            "SELECT p.clsid, c.clsid IS NOT NULL, c.clsid, c.prog_id, c.library_path, "
            "c.threading_model, c.type_library, c.type_library_version, c.application, l.kind "
            "FROM registry_prog_ids p LEFT JOIN registry_classes c ON c.clsid = p.clsid "
            "LEFT JOIN registry_libraries l ON l.library_path = c.library_path "
            "WHERE p.prog_id = ?1");
    }
    Statement& query = *resolveProgId_;
    StatementReset reset(query);
    query.Bind(1, AsText(progId));
    if (!query.Step())
        return std::nullopt;
    ProgIdClass found{query.Text(0), std::nullopt};
    if (query.Int(1) != 0)
        found.classEntry = ReadClass(query, 2);
    return found;
}

void Registry::RegisterClass(const ClassEntry& entry) {
    const std::string libraryPath = NormalLibraryPath(entry.libraryPath);
    const LibraryKind kind =
        entry.libraryKind != LibraryKind::Unknown ? entry.libraryKind : LibraryKindOf(libraryPath);
    WriteGroup group(*db_);
    db_->Prepare("INSERT OR REPLACE INTO registry_libraries(library_path, kind) VALUES(?1, ?2)")
        .Bind(1, AsText(libraryPath))
        .Bind(2, kind == LibraryKind::Windows ? kWindowsLibrary : kNativeLibrary)
        .Run();
    db_->Prepare("INSERT OR REPLACE INTO registry_classes(" + std::string(kClassColumns) +
                 ") VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7)")
        .Bind(1, AsText(entry.clsid))
        .Bind(2, AsText(entry.progId))
        .Bind(3, AsText(libraryPath))
        .Bind(4, AsText(entry.threadingModel))
        .Bind(5, AsText(entry.typeLibraryId))
        .Bind(6, AsText(entry.typeLibraryVersion))
        .Bind(7, entry.application)
        .Run();
    if (!entry.progId.empty()) {
        db_->Prepare("INSERT OR REPLACE INTO registry_prog_ids(prog_id, clsid) VALUES(?1, ?2)")
            .Bind(1, AsText(entry.progId))
            .Bind(2, AsText(entry.clsid))
            .Run();
    }
    group.Commit();
}

void Registry::UnregisterClass(const std::string& clsid) {
    WriteGroup group(*db_);
    db_->Prepare("DELETE FROM registry_prog_ids WHERE clsid = ?1").Bind(1, AsText(clsid)).Run();
    db_->Prepare("DELETE FROM registry_classes WHERE clsid = ?1").Bind(1, AsText(clsid)).Run();
    group.Commit();
}

std::optional<ClassEntry> Registry::FindClass(const std::string& clsid) {
    Statement query = db_->Prepare(std::string(kSelectClasses) + "WHERE c.clsid = ?1");
    query.Bind(1, AsText(clsid));
    if (!query.Step())
        return std::nullopt;
    return ReadClass(query);
}

std::optional<std::string> Registry::FindClsidOfProgId(const std::string& progId) {
    Statement query = db_->Prepare("SELECT clsid FROM registry_prog_ids WHERE prog_id = ?1");
    query.Bind(1, AsText(progId));
    if (!query.Step())
        return std::nullopt;
    return query.Text(0);
}

std::vector<ClassEntry> Registry::ClassesOfLibrary(const std::string& libraryPath) {
    Statement query =
        db_->Prepare(std::string(kSelectClasses) + "WHERE c.library_path = ?1 ORDER BY c.clsid");
    query.Bind(1, AsText(NormalLibraryPath(libraryPath)));
    return ReadClasses(query);
}

void Registry::RegisterTypeLibrary(const TypeLibraryEntry& entry) {
    db_->Prepare(
           "INSERT OR REPLACE INTO registry_type_libraries(library_id, version, name, "
           "library_path) VALUES(?1, ?2, ?3, ?4)")
        .Bind(1, AsText(entry.libraryId))
        .Bind(2, AsText(entry.version))
        .Bind(3, AsText(entry.name))
        .Bind(4, AsText(NormalLibraryPath(entry.libraryPath)))
        .Run();
}

void Registry::UnregisterTypeLibrary(const std::string& libraryId, const std::string& version) {
    db_->Prepare("DELETE FROM registry_type_libraries WHERE library_id = ?1 AND version = ?2")
        .Bind(1, AsText(libraryId))
        .Bind(2, AsText(version))
        .Run();
}

std::optional<TypeLibraryEntry> Registry::FindTypeLibrary(const std::string& libraryId,
                                                          const std::string& version) {
    Statement query = db_->Prepare(
        "SELECT library_id, version, name, library_path FROM registry_type_libraries "
        "WHERE library_id = ?1 AND version = ?2");
    query.Bind(1, AsText(libraryId)).Bind(2, AsText(version));
    if (!query.Step())
        return std::nullopt;
    return TypeLibraryEntry{query.Text(0), query.Text(1), query.Text(2), query.Text(3)};
}

void Registry::RegisterInterface(const InterfaceEntry& entry) {
    db_->Prepare(
           "INSERT OR REPLACE INTO registry_interfaces(interface_id, name, type_library, "
           "type_library_version) VALUES(?1, ?2, ?3, ?4)")
        .Bind(1, AsText(entry.interfaceId))
        .Bind(2, AsText(entry.name))
        .Bind(3, AsText(entry.typeLibraryId))
        .Bind(4, AsText(entry.typeLibraryVersion))
        .Run();
}

void Registry::UnregisterInterface(const std::string& interfaceId) {
    db_->Prepare("DELETE FROM registry_interfaces WHERE interface_id = ?1")
        .Bind(1, AsText(interfaceId))
        .Run();
}

std::optional<InterfaceEntry> Registry::FindInterface(const std::string& interfaceId) {
    Statement query = db_->Prepare(
        "SELECT interface_id, name, type_library, type_library_version FROM registry_interfaces "
        "WHERE interface_id = ?1");
    query.Bind(1, AsText(interfaceId));
    if (!query.Step())
        return std::nullopt;
    return InterfaceEntry{query.Text(0), query.Text(1), query.Text(2), query.Text(3)};
}

int Registry::AssignLibraryClassesToApplication(const std::string& libraryPath,
                                                const std::string& application) {
    db_->Prepare("UPDATE registry_classes SET application = ?2 WHERE library_path = ?1")
        .Bind(1, AsText(NormalLibraryPath(libraryPath)))
        .Bind(2, AsText(application))
        .Run();
    return db_->Changes();
}

std::vector<ClassEntry> Registry::ApplicationClasses(const std::string& application) {
    Statement query =
        db_->Prepare(std::string(kSelectClasses) + "WHERE c.application = ?1 ORDER BY c.clsid");
    query.Bind(1, AsText(application));
    return ReadClasses(query);
}

int Registry::RemoveApplicationClasses(const std::string& application) {
    WriteGroup group(*db_);
    db_->Prepare(
           "DELETE FROM registry_prog_ids WHERE clsid IN "
           "(SELECT clsid FROM registry_classes WHERE application = ?1)")
        .Bind(1, AsText(application))
        .Run();
    db_->Prepare("DELETE FROM registry_classes WHERE application = ?1")
        .Bind(1, AsText(application))
        .Run();
    int removed = db_->Changes();
    group.Commit();
    return removed;
}

void Registry::SetKey(const std::string& hive, const std::string& path) {
    std::string root = CanonicalHive(hive);
    std::string key = CanonicalPath(path);
    WriteGroup group(*db_);
    Statement insert =
        db_->Prepare("INSERT OR IGNORE INTO registry_keys(hive, path) VALUES(?1, ?2)");
    for (size_t end = key.find('\\'); !key.empty(); end = key.find('\\', end + 1)) {
        insert.Bind(1, AsText(root)).Bind(2, AsText(key.substr(0, end))).Run();
        insert.Reset();
        if (end == std::string::npos)
            break;
    }
    group.Commit();
}

void Registry::DeleteKey(const std::string& hive, const std::string& path) {
    std::string root = CanonicalHive(hive);
    std::string key = CanonicalPath(path);
    db_->Prepare(
           "DELETE FROM registry_keys WHERE hive = ?1 AND (?2 = '' OR path = ?2 OR "
           "lower(substr(path, 1, length(?2) + 1)) = lower(?2 || '\\'))")
        .Bind(1, AsText(root))
        .Bind(2, AsText(key))
        .Run();
}

bool Registry::KeyExists(const std::string& hive, const std::string& path) {
    std::string root = CanonicalHive(hive);
    std::string key = CanonicalPath(path);
    if (key.empty())
        return true;
    Statement query = db_->Prepare("SELECT 1 FROM registry_keys WHERE hive = ?1 AND path = ?2");
    query.Bind(1, AsText(root)).Bind(2, AsText(key));
    return query.Step();
}

}  // namespace platform::emulated
