#include "platform/emulated/bridge/WindowsHost.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "platform/ComError.h"
#include "platform/bridge/BridgeErrors.h"
#include "platform/bridge/BridgeListener.h"
#include "platform/emulated/activation/ActivationApartment.h"
#include "platform/emulated/activation/ActivationLibrary.h"
#include "platform/emulated/bridge/CapturedRegistration.h"
#include "platform/emulated/bridge/ServedClasses.h"
#include "platform/emulated/bridge/WinePaths.h"
#include "platform/emulated/bridge/WineProcess.h"
#include "platform/emulated/db/Faults.h"

namespace platform::emulated {

namespace {

using bridge::Value;

constexpr int32_t kServerExecFailure = hresult::FromUnsigned(0x80080005);
constexpr std::string_view kHostEndFault = "host.end";
// A host's first start may make the prefix (seconds, minutes on a loaded
// machine); a call that hears nothing from the host for a minute is hung.
constexpr int kStartLimitMs = 300000;
constexpr int kCallLimitMs = 60000;
// How long an ended channel's host may take to leave before it is killed.
constexpr int kLeaveLimitMs = 5000;

int LimitMs(const char* variable, int fallback) {
    const char* text = std::getenv(variable);
    return text != nullptr && std::atoi(text) > 0 ? std::atoi(text) : fallback;
}

[[noreturn]] void ThrowStartFailure(const std::string& detail) {
    throw ComError(kServerExecFailure, "Server execution failed (the Windows host " + detail + ")");
}

// Waits for the started host to connect; it may end or take too long.
std::unique_ptr<bridge::Socket> AwaitHost(bridge::Listener& listener, pid_t process) {
    const auto end =
        std::chrono::steady_clock::now() +
        std::chrono::milliseconds(LimitMs("MORVANE_HOST_START_LIMIT_MS", kStartLimitMs));
    for (;;) {
        if (auto socket = listener.Accept(100))
            return socket;
        const int status = wine::WaitForProcess(process, 0);
        if (status >= 0)
            ThrowStartFailure("ended before it connected (status " + std::to_string(status) + ")");
        if (std::chrono::steady_clock::now() >= end) {
            wine::KillProcess(process);
            ThrowStartFailure("did not connect in time");
        }
    }
}

std::shared_ptr<WindowsHost> StartHost() {
    const std::string prefix = wine::PrefixFolder();
    const std::string bin = wine::WindowsBinFolder();
    if (!std::filesystem::exists(std::filesystem::path(prefix) / "system.reg"))
        wine::PreparePrefix(prefix, bin);
    bridge::Listener listener;
    const std::string token = wine::NewBridgeToken();
    const pid_t process = wine::StartWindowsProgram(
        bin + "/MorvaneSinkHost.exe", {},
        wine::WineEnvironment(prefix, wine::BridgeEnvironment(listener.Port(), token)), true);
    std::unique_ptr<bridge::Channel> channel;
    try {
        channel = bridge::Channel::Accept(AwaitHost(listener, process), token, kLeaveLimitMs);
    } catch (const ComError& error) {
        if (wine::WaitForProcess(process, 0) < 0)
            wine::KillProcess(process);
        if (error.number() == kServerExecFailure)
            throw;
        ThrowStartFailure("failed its introduction: " + error.description());
    }
    channel->SetWaitLimit(LimitMs("MORVANE_HOST_CALL_LIMIT_MS", kCallLimitMs));
    served::ServePlatform(*channel);
    return std::make_shared<WindowsHost>(process, std::move(channel));
}

thread_local std::shared_ptr<WindowsHost> threadHost;

// An instance living in the host, as the activation layer hands it out.
class HostedObject final : public ComObject,
                           private Dispatch,
                           private StoreSyncEvents,
                           private CreateRegistration {
  public:
    HostedObject(std::shared_ptr<WindowsHost> host, std::shared_ptr<bridge::Object> instance,
                 const std::vector<Value>& interfaces)
        : host_(std::move(host)), instance_(std::move(instance)) {
        hasDispatch_ = interfaces.at(0).AsVariant().AsBool();
        hasEvents_ = interfaces.at(1).AsVariant().AsBool();
        hasRegistration_ = interfaces.at(2).AsVariant().AsBool();
    }
    ~HostedObject() override {
        // The release goes to the host while it runs; it is moot otherwise.
        instance_.reset();
    }

    Dispatch* AsDispatch() override { return hasDispatch_ ? this : nullptr; }
    StoreSyncEvents* AsStoreSyncEvents() override { return hasEvents_ ? this : nullptr; }
    CreateRegistration* AsCreateRegistration() override {
        return hasRegistration_ ? this : nullptr;
    }

  private:
    bridge::RemoteObject& Remote() { return *instance_->AsRemote(); }

    int32_t GetIDOfName(const std::string& member) override {
        return host_->Guard([&] { return Remote().MemberId(member); });
    }
    Variant Invoke(const std::string& member, std::vector<DispArg>& args) override {
        return host_->Guard([&] {
            const int32_t id = Remote().MemberId(member);
            std::vector<Value> values;
            std::vector<bool> byRef;
            for (const DispArg& arg : args) {
                values.emplace_back(arg.value);
                byRef.push_back(arg.byRef);
            }
            Value result = Remote().Invoke(id, bridge::invoke_kind::kMethod, values, byRef);
            for (size_t i = 0; i < args.size(); ++i) {
                if (args[i].byRef)
                    args[i].value = values[i].AsVariant().AppendToEmptyString();
            }
            return result.AsVariant();
        });
    }
    // A fault planted at "host.end" ends the host while it waits in the
    // begin phase of an event, as a crash would end it. It is looked up
    // through the store's snapshot of that phase on this thread, whose
    // connection may take a use of it.
    void EndHostOnPlantedFault(const std::string& urlItem) {
        ServerDb* snapshot = ServerDb::SnapshotOnThisThread();
        if (snapshot == nullptr || !Faults(*snapshot).Take(kHostEndFault, urlItem))
            return;
        host_->End();
        bridge::ThrowDisconnected("the Windows host ended during the event");
    }
    int32_t Event(const char* method, store::EventInfo& eventInfo, const std::string& urlItem,
                  int32_t flags) {
        served::LentEventInfo lent(eventInfo, [this, &urlItem] { EndHostOnPlantedFault(urlItem); });
        std::vector<Value> results =
            host_->Call("host.event", {Value::OfObject(instance_), Value(method), lent.value(),
                                       Value(urlItem), Value(flags)});
        const int32_t status = results.at(0).AsVariant().AsInt32();
        if (status < 0)
            throw ComError(status, std::string("The sink's ") + method + " failed");
        return results.size() > 1 ? results[1].AsVariant().AsInt32() : 0;
    }
    void OnSyncSave(store::EventInfo& eventInfo, const std::string& urlItem,
                    int32_t flags) override {
        Event("OnSyncSave", eventInfo, urlItem, flags);
    }
    void OnSyncDelete(store::EventInfo& eventInfo, const std::string& urlItem,
                      int32_t flags) override {
        Event("OnSyncDelete", eventInfo, urlItem, flags);
    }
    int32_t Register(store::EventInfo& eventInfo, const std::string& urlItem,
                     int32_t flags) override {
        return Event("Register", eventInfo, urlItem, flags);
    }

    std::shared_ptr<WindowsHost> host_;
    std::shared_ptr<bridge::Object> instance_;
    bool hasDispatch_ = false;
    bool hasEvents_ = false;
    bool hasRegistration_ = false;
};

std::vector<CapturedValue> CapturedValues(const Value& encoded) {
    std::vector<CapturedValue> values;
    for (const Variant& item : encoded.AsVariant().AsArray()) {
        const Variant::Array& fields = item.AsArray();
        if (fields.size() == 3)
            values.push_back({fields[0].AsString(), fields[1].AsString(), fields[2].AsString()});
    }
    return values;
}

}  // namespace

std::shared_ptr<WindowsHost> WindowsHost::ForThisThread() {
    if (threadHost && !threadHost->IsRunning()) {
        threadHost->End();
        threadHost.reset();
    }
    if (!threadHost)
        threadHost = StartHost();
    return threadHost;
}

WindowsHost::WindowsHost(pid_t process, std::unique_ptr<bridge::Channel> channel)
    : process_(process), channel_(std::move(channel)) {}

WindowsHost::~WindowsHost() {
    channel_->Close();
    if (process_ > 0 && wine::WaitForProcess(process_, kLeaveLimitMs) < 0)
        wine::KillProcess(process_);
}

std::vector<Value> WindowsHost::Call(const std::string& op, std::vector<Value> args) {
    return Guard([&] { return channel_->Call(op, std::move(args)); });
}

void WindowsHost::End() {
    channel_->Close();
    if (process_ > 0) {
        if (wine::WaitForProcess(process_, 0) < 0)
            wine::KillProcess(process_);
        process_ = 0;
    }
}

std::shared_ptr<ComObject> CreateWindowsObject(const ClassEntry& entry) {
    std::shared_ptr<WindowsHost> host = WindowsHost::ForThisThread();
    std::vector<Value> results = host->Call(
        "host.create", {Value(wine::WindowsPath(entry.libraryPath)), Value(entry.clsid)});
    if (results.size() != 4 || !results[0].IsObject() || !results[0].object->AsRemote())
        bridge::ThrowInvalidData("\"host.create\" answered without an object");
    std::vector<Value> interfaces(results.begin() + 1, results.end());
    return std::make_shared<ApartmentObject>(
        nullptr, std::make_shared<HostedObject>(host, results[0].object, interfaces));
}

int32_t RunWindowsExport(const std::string& libraryPath, const std::string& exportName) {
    std::shared_ptr<WindowsHost> host = WindowsHost::ForThisThread();
    const Value library(wine::WindowsPath(libraryPath));
    const bool registering = exportName == kDllRegisterServer;
    if (!registering && exportName != kDllUnregisterServer)
        return host->Call("host.export", {library, Value(exportName)}).at(0).AsVariant().AsInt32();
    // What the library registers is what its unregistration removes.
    std::vector<Value> captured = host->Call("host.capture", {library});
    int32_t status = captured.at(0).AsVariant().AsInt32();
    if (status < 0)
        return status;
    const std::string prefix = wine::PrefixFolder();
    const CapturedRegistration registration = ReadCapturedRegistration(
        CapturedValues(captured.at(1)),
        [&](const std::string& path) { return NormalLibraryPath(wine::UnixPath(path, prefix)); });
    status = host->Call("host.export", {library, Value(exportName)}).at(0).AsVariant().AsInt32();
    if (status < 0)
        return status;
    Registry registry(ServerDb::Open(ServerFolder()));
    if (registering)
        RecordRegistration(registry, registration);
    else
        RemoveRegistration(registry, registration);
    return status;
}

void ForgetWindowsClasses(const std::vector<ClassEntry>& classes) {
    Variant::Array keys;
    for (const ClassEntry& entry : classes) {
        if (!wine::IsWindowsLibrary(entry.libraryPath))
            continue;
        keys.emplace_back("CLSID\\" + entry.clsid);
        if (!entry.progId.empty())
            keys.emplace_back(entry.progId);
    }
    if (keys.empty())
        return;
    try {
        WindowsHost::ForThisThread()->Call("host.unmirror", {Value(Variant(std::move(keys)))});
    } catch (const ComError&) {
        // The prefix keeps entries of a class the server no longer has;
        // Windows programs then fail to create it, as the platform does
        // for a class whose application is gone.
    }
}

}  // namespace platform::emulated
