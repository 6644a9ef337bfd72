// The Windows host: a process of its own under Wine in which the emulated
// server runs Windows libraries. It hands the server its root object
// (bridge::host_root): it loads a library, creates a class from it, calls
// the store's event methods through their interfaces, runs the library's
// exports (capturing what its registration writes) and removes classes
// from the prefix, all on the channel on which the library's own calls
// into the platform go back to the server.
#include "platform/win32/WindowsHeaders.h"

#include "platform/ComError.h"
#include "platform/bridge/BridgeRoots.h"
#include "platform/bridge/ServedObject.h"
#include "platform/win32/ComFailure.h"
#include "platform/win32/ExStoreInterfaces.h"
#include "platform/win32/WideText.h"
#include "tools/wine/ApplicationHost.h"
#include "tools/wine/BridgeRegistration.h"
#include "tools/wine/HostLibraries.h"
#include "tools/wine/HostLife.h"
#include "tools/wine/ProxyObjects.h"
#include "tools/wine/RegistryCapture.h"
#include "tools/wine/ThreadChannel.h"

namespace wine_bridge {

namespace {

using bridge::Args;
using bridge::Value;
using platform::ComError;
using platform::Variant;
using platform::win32::ComPtr;
namespace host_root = bridge::host_root;

std::wstring WideText(const Args& args, size_t index) {
    return platform::win32::Utf8ToWide(args.Text(index));
}

using ExportFunction = HRESULT(STDAPICALLTYPE*)();
using GetClassObjectFunction = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

// An instance created from a library: late-bound through its IDispatch,
// and its event interfaces for the store's calls. It keeps its host
// running while it lives.
class HostedObject final : public ForeignDispatch {
  public:
    HostedObject(ComPtr<IDispatch> dispatch, ComPtr<IUnknown> object,
                 host_life::Admission admission)
        : ForeignDispatch(std::move(dispatch), "HostedObject"),
          admission_(std::move(admission)),
          object_(std::move(object)) {
        object_->QueryInterface(platform::win32::IID_IExStoreSyncEvents, events_.OutVoid());
        object_->QueryInterface(platform::win32::IID_ICreateRegistration, registration_.OutVoid());
    }
    int32_t Interfaces() const {
        return (Object() != nullptr ? host_root::kHasDispatch : 0) |
               (events_ ? host_root::kHasStoreSyncEvents : 0) |
               (registration_ ? host_root::kHasCreateRegistration : 0);
    }

    // Calls the event method; returns Register's result (0 for the
    // others). A failing HRESULT is thrown.
    int32_t Deliver(host_root::Event event, IDispatch* eventInfo, BSTR url, LONG flags) {
        auto* info = reinterpret_cast<platform::win32::IExStoreEventInfo*>(eventInfo);
        LONG result = 0;
        HRESULT hr = E_NOINTERFACE;
        const char* name = "event";
        if (event == host_root::Event::OnSyncSave && events_) {
            name = "OnSyncSave";
            hr = events_->OnSyncSave(info, url, flags);
        } else if (event == host_root::Event::OnSyncDelete && events_) {
            name = "OnSyncDelete";
            hr = events_->OnSyncDelete(info, url, flags);
        } else if (event == host_root::Event::Register && registration_) {
            name = "Register";
            hr = registration_->Register(info, url, flags, &result);
        }
        if (FAILED(hr))
            throw ComError(hr, std::string("The sink's ") + name + " failed");
        return static_cast<int32_t>(result);
    }

  private:
    host_life::Admission admission_;
    ComPtr<IUnknown> object_;
    ComPtr<platform::win32::IExStoreSyncEvents> events_;
    ComPtr<platform::win32::ICreateRegistration> registration_;
};

Value CreateInstance(Args& args) {
    host_life::Admission admission;
    const std::wstring path = WideText(args, 0);
    CLSID clsid{};
    platform::win32::ThrowIfFailed(CLSIDFromString(WideText(args, 1).c_str(), &clsid));
    auto getClassObject =
        reinterpret_cast<GetClassObjectFunction>(HostLibraryExport(path, "DllGetClassObject"));
    ComPtr<IClassFactory> factory;
    platform::win32::ThrowIfFailed(getClassObject(clsid, IID_IClassFactory, factory.OutVoid()));
    ComPtr<IUnknown> object;
    platform::win32::ThrowIfFailed(
        factory->CreateInstance(nullptr, IID_IUnknown, object.OutVoid()));
    ComPtr<IDispatch> dispatch;
    object->QueryInterface(IID_IDispatch, dispatch.OutVoid());
    auto sink = std::make_shared<HostedObject>(std::move(dispatch), std::move(object),
                                               std::move(admission));
    args.Return(2, Value(sink->Interfaces()));
    return Value::OfObject(sink);
}

int32_t DeliverEvent(Args& args) {
    auto sink = std::dynamic_pointer_cast<HostedObject>(args.Object(0));
    if (!sink)
        throw ComError(E_INVALIDARG, "The event's target is not an instance of this host");
    VARIANT info;
    VariantInit(&info);
    AssignVariant(Value::OfObject(args.Object(2)), info);
    struct Clear {
        VARIANT& v;
        ~Clear() { VariantClear(&v); }
    } clear{info};
    platform::win32::Bstr url(args.Text(3));
    return sink->Deliver(static_cast<host_root::Event>(args.Int(1)), info.pdispVal, url.Get(),
                         args.Int(4));
}

int32_t RunExport(Args& args) {
    const std::string name = args.Text(1);
    auto function =
        reinterpret_cast<ExportFunction>(HostLibraryExport(WideText(args, 0), name.c_str()));
    return static_cast<int32_t>(function());
}

// What the library's DllRegisterServer writes, while nothing reaches the
// prefix's registry.
int32_t CaptureRegistration(Args& args) {
    auto function =
        reinterpret_cast<ExportFunction>(HostLibraryExport(WideText(args, 0), "DllRegisterServer"));
    Variant::Array values;
    const HRESULT hr = CaptureClassesRootWrites(function, [&](const CapturedWrite& write) {
        values.emplace_back(
            Variant::Array{Variant(write.key), Variant(write.name), Variant(write.text)});
    });
    args.Return(1, Value(Variant(std::move(values))));
    return static_cast<int32_t>(hr);
}

void ForgetClasses(Args& args) {
    for (const Variant& key : args.Any(0).AsArray())
        RegDeleteTreeW(HKEY_CLASSES_ROOT, platform::win32::Utf8ToWide(key.AsString()).c_str());
}

// The handles the process holds. Wine's GetProcessHandleCount answers 0:
// the handle values are tried one by one instead, as far as a process of
// this kind ever numbers them.
int32_t HandleCount() {
    constexpr uintptr_t kLastHandle = 0x10000;
    int32_t count = 0;
    for (uintptr_t value = 4; value < kLastHandle; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags))
            ++count;
    }
    return count;
}

// The host's root for one connection: the application host's listener
// port, 0 in a host of one caller.
struct Host {
    uint16_t listenerPort = 0;
};
const bridge::ServedClass<Host> kHost{
    std::string(host_root::kClassName),
    {
        {host_root::kCreateInstance, [](Host&, Args& args) { return CreateInstance(args); }},
        {host_root::kDeliverEvent, [](Host&, Args& args) { return DeliverEvent(args); }},
        {host_root::kRunExport, [](Host&, Args& args) { return RunExport(args); }},
        {host_root::kCaptureRegistration,
         [](Host&, Args& args) { return CaptureRegistration(args); }},
        {host_root::kForgetClasses, [](Host&, Args& args) { ForgetClasses(args); }},
        {host_root::kListenerPort,
         [](Host& host) { return static_cast<int32_t>(host.listenerPort); }},
        {host_root::kLoadedLibraries, [](Host&) { return Variant(LoadedLibraries()); }},
        {host_root::kHandleCount, [](Host&) { return HandleCount(); }},
    }};

// The prefix as the bridge needs it: the platform's ProgIDs name the
// bridge's classes (Wine's own update of a prefix registers its classes
// again), and the prefix reports Windows Server 2003.
bool Prepare() {
    HKEY wine = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine", 0, nullptr, 0, KEY_WRITE, nullptr,
                        &wine, nullptr) == ERROR_SUCCESS) {
        static const wchar_t kVersion[] = L"win2003";
        RegSetValueExW(wine, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(kVersion),
                       sizeof kVersion);
        RegCloseKey(wine);
    }
    if (!BridgeClassesHold())
        RegisterBridgeClasses();
    return BridgeClassesHold();
}

}  // namespace

Value HostRoot(uint16_t listenerPort) {
    return bridge::Serve(kHost, Host{listenerPort});
}

}  // namespace wine_bridge

extern "C" {

// MorvaneWindowsHost.exe --prepare.
int STDAPICALLTYPE MorvanePreparePrefix() {
    return wine_bridge::Prepare() ? 0 : 1;
}

// MorvaneWindowsHost.exe: hands the server that started it the host and
// serves it until the server ends the connection; the host of a COM+
// application serves every caller until it ends (ApplicationHost.h).
int STDAPICALLTYPE MorvaneWindowsHost() {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 3;
    int status = 0;
    try {
        wine_bridge::Prepare();
        if (wine_bridge::IsApplicationHost())
            status = wine_bridge::ServeApplication();
        else
            wine_bridge::ConnectThread(wine_bridge::HostRoot(0)).Serve();
    } catch (const platform::ComError&) {
        status = 2;
    }
    wine_bridge::DropThreadChannel();
    CoUninitialize();
    return status;
}
}
