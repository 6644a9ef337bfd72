#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/emulated/activation/ActivationLoader.h"
#include "platform/emulated/db/ServerDb.h"

// The emulated server's registry: the class registrations COM activation
// reads (class, ProgID, type library and interface entries) and plain keys
// such as HKEY_LOCAL_MACHINE\Cluster. Identifiers, ProgIDs, hive names and
// key paths compare without regard to case, as the Windows registry does.
// Database failures throw ServerError; an unknown hive throws ComError
// E_INVALIDARG.
namespace platform::emulated {

// HKEY_CLASSES_ROOT\CLSID\{clsid}: where the class lives and how it runs.
struct ClassEntry {
    std::string clsid;
    std::string progId;
    // Kept absolute, without "." and ".." parts.
    std::string libraryPath;
    std::string threadingModel = "Apartment";
    std::string typeLibraryId;
    std::string typeLibraryVersion;
    // The COM+ application the class was installed into; none when the
    // library registered it on its own.
    std::optional<std::string> application;
    // Unknown for an entry registered before the registry kept the kind,
    // and for an entry to be registered: then the file's own decides.
    LibraryKind libraryKind = LibraryKind::Unknown;
};

// HKEY_CLASSES_ROOT\TypeLib\{libid}\version.
struct TypeLibraryEntry {
    std::string libraryId;
    std::string version;
    std::string name;
    std::string libraryPath;
};

// HKEY_CLASSES_ROOT\Interface\{iid}.
struct InterfaceEntry {
    std::string interfaceId;
    std::string name;
    std::string typeLibraryId;
    std::string typeLibraryVersion;
};

// A ProgID's class: the CLSID it names and that CLSID's class entry, when
// there is one.
struct ProgIdClass {
    std::string clsid;
    std::optional<ClassEntry> classEntry;
};

// The kind of the class's library: as registered, or, for an entry
// registered before the registry kept it, the file's own.
LibraryKind LibraryKindOfClass(const ClassEntry& entry);

class Registry {
  public:
    explicit Registry(std::shared_ptr<ServerDb> db);
    ~Registry();
    Registry(Registry&&) noexcept;
    Registry& operator=(Registry&&) noexcept;

    const std::shared_ptr<ServerDb>& db() const { return db_; }

    // Writes (or replaces) the class entry; a non-empty ProgID also gets its
    // HKEY_CLASSES_ROOT\<ProgID> entry pointing at the class. An entry of
    // unknown library kind gets the kind of the file there now.
    void RegisterClass(const ClassEntry& entry);
    // Removes the class entry and the ProgID entries that point at it.
    void UnregisterClass(const std::string& clsid);
    std::optional<ClassEntry> FindClass(const std::string& clsid);
    // The CLSID a ProgID names, when the ProgID is registered.
    std::optional<std::string> FindClsidOfProgId(const std::string& progId);
    // Both lookups of a creation by ProgID in one read (the statement is
    // kept prepared); nullopt when the ProgID is not registered.
    std::optional<ProgIdClass> ResolveProgId(const std::string& progId);
    // The classes whose library is that file.
    std::vector<ClassEntry> ClassesOfLibrary(const std::string& libraryPath);

    void RegisterTypeLibrary(const TypeLibraryEntry& entry);
    void UnregisterTypeLibrary(const std::string& libraryId, const std::string& version);
    std::optional<TypeLibraryEntry> FindTypeLibrary(const std::string& libraryId,
                                                    const std::string& version);

    void RegisterInterface(const InterfaceEntry& entry);
    void UnregisterInterface(const std::string& interfaceId);
    std::optional<InterfaceEntry> FindInterface(const std::string& interfaceId);

    // COM+: tags every class of the library file as installed into the
    // application; returns how many classes were tagged.
    int AssignLibraryClassesToApplication(const std::string& libraryPath,
                                          const std::string& application);
    // The classes installed into the application.
    std::vector<ClassEntry> ApplicationClasses(const std::string& application);
    // Removes the application's classes with their ProgIDs; returns how many
    // classes went.
    int RemoveApplicationClasses(const std::string& application);

    // Keys: hive is a root name such as "HKEY_LOCAL_MACHINE", path the key
    // below it with backslashes ("Cluster", "Software\\Vendor"). SetKey
    // creates the key with its missing parents; DeleteKey removes the key
    // and everything below it.
    void SetKey(const std::string& hive, const std::string& path);
    void DeleteKey(const std::string& hive, const std::string& path);
    bool KeyExists(const std::string& hive, const std::string& path);

  private:
    std::shared_ptr<ServerDb> db_;
    std::unique_ptr<Statement> resolveProgId_;
};

}  // namespace platform::emulated
