#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Activation.h"
#include "platform/emulated/activation/Registry.h"

// What activation needs for classes whose library is a Windows DLL: they
// run in host processes under Wine. Activation declares it; the hosting
// adapter (platform/emulated/hosting/) defines SystemWindowsHosting(),
// chosen at link time as the ports' System functions are. Failures throw
// ComError with the platform's HRESULT.
namespace platform::emulated {

class WindowsHosting {
  public:
    virtual ~WindowsHosting() = default;
    // Creates the class from its Windows library in a host: the process of
    // its COM+ application (one for the server of that folder) when it was
    // installed into one, else this thread's own host, as an in-process
    // server is loaded by its caller.
    virtual std::shared_ptr<ComObject> CreateObject(const ClassEntry& entry,
                                                    const std::string& serverFolder) = 0;
    // Runs an export of a Windows library in a host and returns its
    // HRESULT. DllRegisterServer also records the classes, type library and
    // interfaces the library registers in the server's registry,
    // DllUnregisterServer removes them again; both also change what Windows
    // programs find in the Wine prefix.
    virtual int32_t RunExport(const std::string& libraryPath, const std::string& exportName) = 0;
    // Windows programs no longer find the classes (COM+ removed their
    // application); classes of other libraries are passed over.
    virtual void ForgetClasses(const std::vector<ClassEntry>& classes) = 0;
    // Ends the application's process, if one runs: the calls it is in
    // fail, the next activation starts a new one.
    virtual void ShutdownApplication(const std::string& serverFolder,
                                     const std::string& application) = 0;
    // Ends the process of every application of the server (its folder is
    // replaced or removed).
    virtual void EndApplications(const std::string& serverFolder) = 0;
};

WindowsHosting& SystemWindowsHosting();

}  // namespace platform::emulated
