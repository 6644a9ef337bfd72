#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/Activation.h"
#include "platform/emulated/activation/ActivationLoader.h"
#include "platform/emulated/activation/Registry.h"

// COM activation on the emulated server: classes are found in the server's
// registry and created from their library files through the library's
// DllGetClassObject (ActivationLibrary.h).
namespace platform::emulated {

class EmulatedActivation final : public Activation {
  public:
    // serverFolder names the server whose registry is read; it is asked at
    // every creation, so a change of MORVANE_SERVER takes effect at once.
    explicit EmulatedActivation(std::function<std::string()> serverFolder = ServerFolder);

    // Unknown ProgID: CO_E_CLASSSTRING "Invalid class string"; then as
    // CreateObjectByClsid.
    std::shared_ptr<ComObject> CreateObject(const std::string& progId) override;
    // No class entry: REGDB_E_CLASSNOTREG "Class not registered"; a missing
    // or foreign library file: the loader's error; a library without
    // DllGetClassObject: CO_E_ERRORINDLL; a failing factory: its HRESULT.
    std::shared_ptr<ComObject> CreateObjectByClsid(const std::string& clsid);

    // A file name without a folder is looked for in the program's own
    // folder, then in the current directory. At the first call: a missing
    // file raises run-time error 53, a file that cannot be loaded 48, a
    // missing export 453.
    std::function<int32_t()> BindExport(const std::string& libraryFile,
                                        const std::string& exportName) override;

    // Lets go of the libraries this object keeps loaded for faster creation
    // (CoFreeUnusedLibraries); libraries of live objects stay loaded.
    void FreeUnusedLibraries();

  private:
    // The registry of the current server; the caller holds mutex_.
    Registry& CurrentRegistry();
    std::optional<ProgIdClass> ResolveProgId(const std::string& progId);
    std::optional<ClassEntry> FindClass(const std::string& clsid);
    std::shared_ptr<ComObject> CreateFromLibrary(const ClassEntry& entry);
    std::shared_ptr<LoadedLibrary> LoadClassLibrary(const std::string& path);

    std::function<std::string()> serverFolder_;
    std::mutex mutex_;
    std::optional<Registry> registry_;
    std::map<std::string, std::shared_ptr<LoadedLibrary>> libraries_;
    // The ProgIDs resolved at the configuration generation that the
    // store's open snapshot on this thread read: a save creates its sinks
    // by ProgID, and the registry is part of the configuration.
    std::optional<int64_t> keptGeneration_;
    std::map<std::string, std::optional<ProgIdClass>> keptProgIds_;
};

// Where a library file named without a folder is found: the program's own
// folder, then the current directory; a name with a folder stays as it is.
// Returns the name unchanged when no such file exists.
std::string FindLibraryFile(const std::string& libraryFile);

}  // namespace platform::emulated
