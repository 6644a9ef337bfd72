#include "platform/emulated/hosting/HostedObject.h"

#include <string_view>

#include "platform/bridge/BridgeErrors.h"
#include "platform/bridge/BridgeRoots.h"
#include "platform/emulated/bridge/ServedClasses.h"
#include "platform/emulated/db/Faults.h"

namespace platform::emulated {

namespace {

using bridge::Value;
using bridge::host_root::Event;

constexpr std::string_view kHostEndFault = "host.end";

class HostedObject final : public ComObject,
                           private Dispatch,
                           private StoreSyncEvents,
                           private CreateRegistration {
  public:
    HostedObject(std::shared_ptr<WindowsHost> host, std::string clsid,
                 std::shared_ptr<bridge::Object> instance, int32_t interfaces)
        : host_(std::move(host)),
          clsid_(std::move(clsid)),
          instance_(std::move(instance)),
          interfaces_(interfaces) {}
    ~HostedObject() override {
        // The release goes to the host while it runs; it is moot otherwise.
        instance_.reset();
    }

    Dispatch* AsDispatch() override {
        return Has(bridge::host_root::kHasDispatch) ? this : nullptr;
    }
    StoreSyncEvents* AsStoreSyncEvents() override {
        return Has(bridge::host_root::kHasStoreSyncEvents) ? this : nullptr;
    }
    CreateRegistration* AsCreateRegistration() override {
        return Has(bridge::host_root::kHasCreateRegistration) ? this : nullptr;
    }

  private:
    bool Has(int32_t interface) const { return (interfaces_ & interface) != 0; }
    bridge::RemoteObject& Remote() { return *instance_->AsRemote(); }

    int32_t GetIDOfName(const std::string& member) override {
        return host_->MemberId(Remote(), clsid_, member);
    }
    Variant Invoke(const std::string& member, std::vector<DispArg>& args) override {
        const int32_t id = GetIDOfName(member);
        std::vector<Value> values;
        std::vector<bool> byRef;
        for (const DispArg& arg : args) {
            values.emplace_back(arg.value);
            byRef.push_back(arg.byRef);
        }
        Value result = host_->Guard(
            [&] { return Remote().Invoke(id, bridge::invoke_kind::kMethod, values, byRef); });
        for (size_t i = 0; i < args.size(); ++i) {
            if (args[i].byRef)
                args[i].value = values[i].AsVariant().AppendToEmptyString();
        }
        return result.AsVariant();
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
    int32_t Deliver(Event event, store::EventInfo& eventInfo, const std::string& urlItem,
                    int32_t flags) {
        served::LentEventInfo lent(eventInfo, [this, &urlItem] { EndHostOnPlantedFault(urlItem); });
        std::vector<Value> args{Value::OfObject(instance_), Value(static_cast<int32_t>(event)),
                                lent.value(), Value(urlItem), Value(flags)};
        return host_->Invoke(bridge::host_root::kDeliverEvent, args).AsVariant().AsInt32();
    }
    void OnSyncSave(store::EventInfo& eventInfo, const std::string& urlItem,
                    int32_t flags) override {
        Deliver(Event::OnSyncSave, eventInfo, urlItem, flags);
    }
    void OnSyncDelete(store::EventInfo& eventInfo, const std::string& urlItem,
                      int32_t flags) override {
        Deliver(Event::OnSyncDelete, eventInfo, urlItem, flags);
    }
    int32_t Register(store::EventInfo& eventInfo, const std::string& urlItem,
                     int32_t flags) override {
        return Deliver(Event::Register, eventInfo, urlItem, flags);
    }

    std::shared_ptr<WindowsHost> host_;
    std::string clsid_;
    std::shared_ptr<bridge::Object> instance_;
    int32_t interfaces_;
};

}  // namespace

std::shared_ptr<ComObject> NewHostedObject(std::shared_ptr<WindowsHost> host,
                                           const ClassEntry& entry,
                                           std::shared_ptr<bridge::Object> instance,
                                           int32_t interfaces) {
    return std::make_shared<HostedObject>(std::move(host), entry.clsid, std::move(instance),
                                          interfaces);
}

}  // namespace platform::emulated
