// The host of Windows sink libraries: a process of its own under Wine that
// the emulated server starts per thread that creates such a class. It loads
// the library, creates the class from it, calls the store's event methods
// through their interfaces, runs the library's registration entry points
// (capturing what they write), and serves all of it on the channel on which
// the library's own calls into the platform go back to the server.
#include "platform/win32/WindowsHeaders.h"

#include <map>

#include "platform/ComError.h"
#include "platform/bridge/BridgeErrors.h"
#include "platform/win32/ComFailure.h"
#include "platform/win32/ExStoreInterfaces.h"
#include "platform/win32/WideText.h"
#include "tools/wine/BridgeClasses.h"
#include "tools/wine/EventLogRoute.h"
#include "tools/wine/ProxyObjects.h"
#include "tools/wine/RegistryCapture.h"
#include "tools/wine/ThreadChannel.h"

namespace wine_bridge {

namespace {

using bridge::Value;
using platform::ComError;
using platform::Variant;
using platform::win32::ComPtr;

// Run-time errors of a library bound by file name, as the activation
// layer reports them.
constexpr int32_t kErrorInLoadingDll = 48;
constexpr int32_t kEntryPointNotFound = 453;

std::wstring Text(const Value& value) {
    return platform::win32::Utf8ToWide(value.AsVariant().AsString());
}

// The libraries the host loaded stay loaded while it runs.
HMODULE Library(const std::wstring& path) {
    static std::map<std::wstring, HMODULE> loaded;
    auto found = loaded.find(path);
    if (found != loaded.end())
        return found->second;
    HMODULE library = LoadLibraryW(path.c_str());
    if (library == nullptr)
        throw ComError(kErrorInLoadingDll, "Error in loading DLL");
    RouteEventLog(library);
    loaded.emplace(path, library);
    return library;
}

void* Export(const std::wstring& path, const char* name) {
    void* address = reinterpret_cast<void*>(GetProcAddress(Library(path), name));
    if (address == nullptr)
        throw ComError(kEntryPointNotFound, std::string("Can't find DLL entry point ") + name +
                                                " in " + platform::win32::WideToUtf8(path));
    return address;
}

using ExportFunction = HRESULT(STDAPICALLTYPE*)();
using GetClassObjectFunction = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

// A created sink: late-bound through its IDispatch, and its event
// interfaces for the store's calls.
class HostedSink final : public ForeignDispatch {
  public:
    HostedSink(ComPtr<IDispatch> dispatch, ComPtr<IUnknown> object)
        : ForeignDispatch(std::move(dispatch), "HostedSink"), object_(std::move(object)) {
        object_->QueryInterface(platform::win32::IID_IExStoreSyncEvents, events_.OutVoid());
        object_->QueryInterface(platform::win32::IID_ICreateRegistration, registration_.OutVoid());
    }
    bool HasDispatch() const { return Object() != nullptr; }
    bool HasEvents() const { return static_cast<bool>(events_); }
    bool HasRegistration() const { return static_cast<bool>(registration_); }

    // Calls the event method; returns its HRESULT and Register's result.
    std::vector<Value> Event(const std::string& method, IDispatch* eventInfo, BSTR url,
                             LONG flags) {
        auto* info = reinterpret_cast<platform::win32::IExStoreEventInfo*>(eventInfo);
        LONG result = 0;
        HRESULT hr = E_NOINTERFACE;
        if (method == "OnSyncSave" && events_)
            hr = events_->OnSyncSave(info, url, flags);
        else if (method == "OnSyncDelete" && events_)
            hr = events_->OnSyncDelete(info, url, flags);
        else if (method == "Register" && registration_)
            hr = registration_->Register(info, url, flags, &result);
        return {Value(static_cast<int32_t>(hr)), Value(static_cast<int32_t>(result))};
    }

  private:
    ComPtr<IUnknown> object_;
    ComPtr<platform::win32::IExStoreSyncEvents> events_;
    ComPtr<platform::win32::ICreateRegistration> registration_;
};

// [library, clsid] gives [sink, has IDispatch, has the event interface,
// has the registration interface].
std::vector<Value> Create(std::vector<Value>& args) {
    const std::wstring path = Text(args.at(0));
    CLSID clsid{};
    platform::win32::ThrowIfFailed(CLSIDFromString(Text(args.at(1)).c_str(), &clsid));
    auto getClassObject =
        reinterpret_cast<GetClassObjectFunction>(Export(path, "DllGetClassObject"));
    ComPtr<IClassFactory> factory;
    platform::win32::ThrowIfFailed(getClassObject(clsid, IID_IClassFactory, factory.OutVoid()));
    ComPtr<IUnknown> object;
    platform::win32::ThrowIfFailed(
        factory->CreateInstance(nullptr, IID_IUnknown, object.OutVoid()));
    ComPtr<IDispatch> dispatch;
    object->QueryInterface(IID_IDispatch, dispatch.OutVoid());
    auto sink = std::make_shared<HostedSink>(std::move(dispatch), std::move(object));
    return {Value::OfObject(sink), Value(sink->HasDispatch()), Value(sink->HasEvents()),
            Value(sink->HasRegistration())};
}

// [sink, method, event information, url, flags] gives [HRESULT, result].
std::vector<Value> Event(std::vector<Value>& args) {
    auto sink = std::dynamic_pointer_cast<HostedSink>(args.at(0).AsObject());
    if (!sink)
        throw ComError(E_INVALIDARG, "The event's target is not a sink of this host");
    VARIANT info;
    VariantInit(&info);
    AssignVariant(args.at(2), info);
    platform::win32::Bstr url(args.at(3).AsVariant().AsString());
    std::vector<Value> results = sink->Event(args.at(1).AsVariant().AsString(), info.pdispVal,
                                             url.Get(), args.at(4).AsVariant().AsInt32());
    VariantClear(&info);
    return results;
}

// [library, export] gives [HRESULT].
std::vector<Value> RunExport(std::vector<Value>& args) {
    const std::string name = args.at(1).AsVariant().AsString();
    auto function = reinterpret_cast<ExportFunction>(Export(Text(args.at(0)), name.c_str()));
    return {Value(static_cast<int32_t>(function()))};
}

// [library] gives [HRESULT, [[key, name, text]...]]: what its
// DllRegisterServer writes, while nothing reaches the prefix's registry.
std::vector<Value> Capture(std::vector<Value>& args) {
    auto function = reinterpret_cast<ExportFunction>(Export(Text(args.at(0)), "DllRegisterServer"));
    Variant::Array values;
    const HRESULT hr = CaptureClassesRootWrites(function, [&](const CapturedWrite& write) {
        values.emplace_back(
            Variant::Array{Variant(write.key), Variant(write.name), Variant(write.text)});
    });
    return {Value(static_cast<int32_t>(hr)), Value(Variant(std::move(values)))};
}

// [[key...]] : removes the keys below HKEY_CLASSES_ROOT.
std::vector<Value> Unmirror(std::vector<Value>& args) {
    for (const Variant& key : args.at(0).AsVariant().AsArray())
        RegDeleteTreeW(HKEY_CLASSES_ROOT, platform::win32::Utf8ToWide(key.AsString()).c_str());
    return {};
}

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

}  // namespace wine_bridge

extern "C" {

// MorvaneSinkHost.exe --prepare.
int STDAPICALLTYPE MorvaneBridgePrepare() {
    return wine_bridge::Prepare() ? 0 : 1;
}

// MorvaneSinkHost.exe: serves the server that started it until it ends
// the connection.
int STDAPICALLTYPE MorvaneBridgeHost() {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 3;
    int status = 0;
    try {
        wine_bridge::Prepare();
        bridge::Channel& channel = wine_bridge::ThreadChannel();
        channel.Handle("host.create", wine_bridge::Create);
        channel.Handle("host.event", wine_bridge::Event);
        channel.Handle("host.export", wine_bridge::RunExport);
        channel.Handle("host.capture", wine_bridge::Capture);
        channel.Handle("host.unmirror", wine_bridge::Unmirror);
        channel.Serve();
    } catch (const platform::ComError&) {
        status = 2;
    }
    wine_bridge::DropThreadChannel();
    CoUninitialize();
    return status;
}
}
