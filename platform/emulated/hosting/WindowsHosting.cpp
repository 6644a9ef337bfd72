// The Windows libraries' side of activation: a class of a COM+ application
// runs in the application's process, any other class and every export in
// this thread's Windows host.
#include "platform/emulated/activation/WindowsHosting.h"

#include <variant>

#include "platform/ComError.h"
#include "platform/bridge/BridgeErrors.h"
#include "platform/bridge/BridgeRoots.h"
#include "platform/emulated/activation/ActivationApartment.h"
#include "platform/emulated/activation/ActivationLibrary.h"
#include "platform/emulated/hosting/ApplicationProcess.h"
#include "platform/emulated/hosting/CapturedRegistration.h"
#include "platform/emulated/hosting/HostedObject.h"
#include "platform/emulated/hosting/WindowsHost.h"
#include "platform/emulated/machine/WindowsPaths.h"

namespace platform::emulated {

namespace {

using bridge::Value;
namespace host_root = bridge::host_root;

std::vector<CapturedValue> CapturedValues(const Value& encoded) {
    std::vector<CapturedValue> values;
    for (const Variant& item : encoded.AsVariant().AsArray()) {
        const Variant::Array& fields = item.AsArray();
        if (fields.size() == 3)
            values.push_back({fields[0].AsString(), fields[1].AsString(), fields[2].AsString()});
    }
    return values;
}

// What the library's DllRegisterServer writes, captured in the host; its
// HRESULT when it fails.
std::variant<int32_t, CapturedRegistration> CaptureRegistration(WindowsHost& host,
                                                                const Value& library) {
    std::vector<Value> args{library, Value()};
    const int32_t status = host.Invoke(host_root::kCaptureRegistration, args).AsVariant().AsInt32();
    if (status < 0)
        return status;
    const std::string prefix = wine::PrefixFolder();
    return ReadCapturedRegistration(CapturedValues(args[1]), [&](const std::string& path) {
        return NormalLibraryPath(wine::UnixPath(path, prefix));
    });
}

int32_t RunExportInHost(WindowsHost& host, const Value& library, const std::string& exportName) {
    std::vector<Value> args{library, Value(exportName)};
    return host.Invoke(host_root::kRunExport, args).AsVariant().AsInt32();
}

// A new instance of the class in the host.
std::shared_ptr<ComObject> CreateInHost(const std::shared_ptr<WindowsHost>& host,
                                        const ClassEntry& entry) {
    std::vector<Value> args{Value(wine::WindowsPath(entry.libraryPath)), Value(entry.clsid),
                            Value(0)};
    Value instance = host->Invoke(host_root::kCreateInstance, args);
    if (!instance.IsObject() || !instance.object->AsRemote())
        bridge::ThrowInvalidData("CreateInstance answered without an instance");
    return std::make_shared<ApartmentObject>(
        nullptr,
        NewHostedObject(host, entry, std::move(instance.object), args[2].AsVariant().AsInt32()));
}

// Whether a creation failed because the application's host was ending or
// gone before it made anything: the creation is tried once more, in the
// host that follows. A host that did not answer in time fails the creation.
bool HostWasEnding(const ComError& error) {
    return error.number() == host_root::kServerStopping ||
           error.number() == bridge::error_number::kServerUnavailable;
}

class HostedLibraries final : public WindowsHosting {
  public:
    std::shared_ptr<ComObject> CreateObject(const ClassEntry& entry,
                                            const std::string& serverFolder) override {
        if (!entry.application)
            return CreateInHost(WindowsHost::ForThisThread(), entry);
        std::shared_ptr<WindowsHost> host =
            ApplicationHostOfThisThread(serverFolder, *entry.application);
        try {
            return CreateInHost(host, entry);
        } catch (const ComError& error) {
            if (!HostWasEnding(error))
                throw;
        }
        return CreateInHost(ApplicationHostOfThisThread(serverFolder, *entry.application), entry);
    }

    void ShutdownApplication(const std::string& serverFolder,
                             const std::string& application) override {
        EndApplicationHost(serverFolder, application);
    }

    void EndApplications(const std::string& serverFolder) override {
        EndApplicationHosts(serverFolder);
    }

    int32_t RunExport(const std::string& libraryPath, const std::string& exportName) override {
        std::shared_ptr<WindowsHost> host = WindowsHost::ForThisThread();
        const Value library(wine::WindowsPath(libraryPath));
        const bool registering = exportName == kDllRegisterServer;
        if (!registering && exportName != kDllUnregisterServer)
            return RunExportInHost(*host, library, exportName);
        // What the library registers is what its unregistration removes.
        std::variant<int32_t, CapturedRegistration> captured = CaptureRegistration(*host, library);
        if (const int32_t* failed = std::get_if<int32_t>(&captured))
            return *failed;
        const int32_t status = RunExportInHost(*host, library, exportName);
        if (status < 0)
            return status;
        Registry registry(ServerDb::Open(ServerFolder()));
        if (registering)
            RecordRegistration(registry, std::get<CapturedRegistration>(captured));
        else
            RemoveRegistration(registry, std::get<CapturedRegistration>(captured));
        return status;
    }

    void ForgetClasses(const std::vector<ClassEntry>& classes) override {
        Variant::Array keys;
        for (const ClassEntry& entry : classes) {
            if (LibraryKindOfClass(entry) != LibraryKind::Windows)
                continue;
            keys.emplace_back("CLSID\\" + entry.clsid);
            if (!entry.progId.empty())
                keys.emplace_back(entry.progId);
        }
        if (keys.empty())
            return;
        try {
            std::vector<Value> args{Value(Variant(std::move(keys)))};
            WindowsHost::ForThisThread()->Invoke(host_root::kForgetClasses, args);
        } catch (const ComError&) {
            // The prefix keeps entries of a class the server no longer has;
            // Windows programs then fail to create it, as the platform does
            // for a class whose application is gone.
        }
    }
};

}  // namespace

WindowsHosting& SystemWindowsHosting() {
    static HostedLibraries hosting;
    return hosting;
}

}  // namespace platform::emulated
