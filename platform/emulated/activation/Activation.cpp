#include "platform/emulated/activation/Activation.h"

#include <filesystem>

#include "platform/ComError.h"
#include "platform/emulated/activation/ActivationApartment.h"
#include "platform/emulated/activation/ActivationLibrary.h"
#include "platform/emulated/activation/WindowsHosting.h"

namespace platform::emulated {

namespace {

// The system's message text of an HRESULT a library returned.
std::string HResultText(int32_t number) {
    switch (number) {
        case activation_error::CLASS_E_CLASSNOTAVAILABLE:
            return "ClassFactory cannot supply requested class";
        case activation_error::CO_E_ERRORINDLL:
            return "Error in the DLL";
        case activation_error::E_OUTOFMEMORY:
            return "Not enough storage is available to complete this operation.";
        case hresult::E_NOINTERFACE:
            return "No such interface supported";
        case hresult::E_FAIL:
            return "Unspecified error";
        case hresult::E_ACCESSDENIED:
            return "Access is denied.";
        default:
            return "Automation error";
    }
}

// A failing HRESULT; a success code without an object counts as
// E_NOINTERFACE.
[[noreturn]] void ThrowHResult(int32_t number) {
    if (number >= 0)
        number = hresult::E_NOINTERFACE;
    throw ComError(number, HResultText(number));
}

std::string ProgramFolder() {
    std::error_code ec;
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : program.parent_path().string();
}

// Whether the store's snapshot open on this thread is of the server in
// folder and has db's file open.
bool IsSnapshotFile(const std::string& folder, const ServerDb& db) {
    const ServerDb* snapshot = ServerDb::SnapshotOnThisThread();
    return snapshot != nullptr && snapshot->File() && snapshot->File() == db.File() &&
           snapshot->folder() == folder;
}

struct BoundExport {
    std::shared_ptr<LoadedLibrary> library;
    std::function<int32_t()> function;
};

void BindNow(BoundExport& bound, const std::string& libraryFile, const std::string& exportName) {
    std::string path = FindLibraryFile(libraryFile);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        throw ComError(activation_error::kFileNotFound, "File not found: " + libraryFile);
    if (LibraryKindOf(path) == LibraryKind::Windows) {
        // A Windows library runs its exports in a Windows host.
        bound.function = [path, exportName] {
            return SystemWindowsHosting().RunExport(path, exportName);
        };
        return;
    }
    std::shared_ptr<LoadedLibrary> library;
    try {
        library = LoadedLibrary::Load(path);
    } catch (const ComError&) {
        throw ComError(activation_error::kErrorInLoadingDll, "Error in loading DLL");
    }
    auto function = reinterpret_cast<DllFunction>(library->FindExport(exportName));
    if (!function) {
        throw ComError(activation_error::kEntryPointNotFound,
                       "Can't find DLL entry point " + exportName + " in " + libraryFile);
    }
    bound.library = std::move(library);
    bound.function = function;
}

}  // namespace

EmulatedActivation::EmulatedActivation(std::function<std::string()> serverFolder)
    : serverFolder_(std::move(serverFolder)) {}

// The registry of the database file the server folder holds now: a server
// replaced in the same folder (morvane-lab init --force) is read afresh,
// as the store's connections are. Inside a save of the store, the save's
// snapshot has that file open already: while the registry's file is the
// same, the file system need not be asked again.
Registry& EmulatedActivation::CurrentRegistry() {
    std::string folder = serverFolder_();
    if (registry_ && IsSnapshotFile(folder, *registry_->db()))
        return *registry_;
    const std::optional<FileKey> file = ServerFileKeyOf(folder);
    if (!registry_ || !file || registry_->db()->File() != file) {
        registry_.reset();
        keptProgIds_.clear();
        keptGeneration_.reset();
        registry_.emplace(ServerDb::Open(folder));
    }
    return *registry_;
}

std::optional<ProgIdClass> EmulatedActivation::ResolveProgId(const std::string& progId) {
    std::lock_guard lock(mutex_);
    try {
        Registry& registry = CurrentRegistry();
        // A save of the store creates its sinks inside a snapshot of the
        // same server: while the configuration it read stays the same, so
        // do the registry's classes.
        ServerDb* snapshot = ServerDb::SnapshotOnThisThread();
        std::optional<int64_t> generation;
        if (snapshot && snapshot->File() && snapshot->File() == registry.db()->File())
            generation = snapshot->ConfigurationGeneration();
        if (!generation)
            return registry.ResolveProgId(progId);
        if (keptGeneration_ != generation) {
            keptProgIds_.clear();
            keptGeneration_ = generation;
        }
        auto found = keptProgIds_.find(progId);
        if (found == keptProgIds_.end())
            found = keptProgIds_.emplace(progId, registry.ResolveProgId(progId)).first;
        return found->second;
    } catch (const ServerError& error) {
        throw ComError(activation_error::REGDB_E_READREGDB,
                       std::string("Could not read key from registry: ") + error.what());
    }
}

std::optional<ClassEntry> EmulatedActivation::FindClass(const std::string& clsid) {
    std::lock_guard lock(mutex_);
    try {
        return CurrentRegistry().FindClass(clsid);
    } catch (const ServerError& error) {
        throw ComError(activation_error::REGDB_E_READREGDB,
                       std::string("Could not read key from registry: ") + error.what());
    }
}

std::shared_ptr<ComObject> EmulatedActivation::CreateObject(const std::string& progId) {
    std::optional<ProgIdClass> found = ResolveProgId(progId);
    if (!found)
        throw ComError(hresult::CO_E_CLASSSTRING, "Invalid class string");
    if (!found->classEntry)
        throw ComError(hresult::REGDB_E_CLASSNOTREG, "Class not registered");
    return CreateFromLibrary(*found->classEntry);
}

std::shared_ptr<ComObject> EmulatedActivation::CreateObjectByClsid(const std::string& clsid) {
    std::optional<ClassEntry> entry = FindClass(clsid);
    if (!entry)
        throw ComError(hresult::REGDB_E_CLASSNOTREG, "Class not registered");
    return CreateFromLibrary(*entry);
}

std::shared_ptr<ComObject> EmulatedActivation::CreateFromLibrary(const ClassEntry& entry) {
    if (LibraryKindOfClass(entry) == LibraryKind::Windows)
        return SystemWindowsHosting().CreateObject(entry, serverFolder_());
    std::shared_ptr<LoadedLibrary> library = LoadClassLibrary(entry.libraryPath);
    auto getClassObject =
        reinterpret_cast<DllGetClassObjectFunction>(library->FindExport(kDllGetClassObject));
    if (!getClassObject) {
        throw ComError(
            activation_error::CO_E_ERRORINDLL,
            "Error in the DLL: " + FileNameOf(library->path()) + " has no DllGetClassObject");
    }
    void* object = nullptr;
    int32_t result = getClassObject(entry.clsid.c_str(), kClassFactoryIid, &object);
    if (result < 0 || !object)
        ThrowHResult(result);
    std::shared_ptr<ComObject> instance;
    result = static_cast<ClassFactory*>(object)->CreateInstance(instance);
    if (result < 0 || !instance)
        ThrowHResult(result);
    return std::make_shared<ApartmentObject>(std::move(library), std::move(instance));
}

std::shared_ptr<LoadedLibrary> EmulatedActivation::LoadClassLibrary(const std::string& path) {
    std::lock_guard lock(mutex_);
    auto found = libraries_.find(path);
    if (found != libraries_.end())
        return found->second;
    std::shared_ptr<LoadedLibrary> library = LoadedLibrary::Load(path);
    libraries_.emplace(path, library);
    return library;
}

void EmulatedActivation::FreeUnusedLibraries() {
    std::lock_guard lock(mutex_);
    libraries_.clear();
}

std::function<int32_t()> EmulatedActivation::BindExport(const std::string& libraryFile,
                                                        const std::string& exportName) {
    auto bound = std::make_shared<BoundExport>();
    return [bound, libraryFile, exportName]() -> int32_t {
        if (!bound->function)
            BindNow(*bound, libraryFile, exportName);
        return bound->function();
    };
}

std::string FindLibraryFile(const std::string& libraryFile) {
    if (libraryFile.find('/') != std::string::npos)
        return libraryFile;
    std::error_code ec;
    for (const std::string& folder :
         {ProgramFolder(), std::filesystem::current_path(ec).string()}) {
        if (folder.empty())
            continue;
        std::filesystem::path candidate = std::filesystem::path(folder) / libraryFile;
        if (std::filesystem::is_regular_file(candidate, ec))
            return candidate.string();
    }
    return libraryFile;
}

}  // namespace platform::emulated

namespace platform {

Activation& SystemActivation() {
    static emulated::EmulatedActivation activation;
    return activation;
}

}  // namespace platform
