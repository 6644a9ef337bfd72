#include "platform/bridge/BridgeErrors.h"
#include "platform/emulated/bridge/ServedClasses.h"
#include "platform/emulated/bridge/ServedObject.h"

namespace platform::emulated::served {

namespace {

using bridge::Value;

Value CreateByProgId(const std::string& progId) {
    for (auto create : {CreateAdoObject, CreateCatalogObject, CreateSystemInfoObject}) {
        if (std::optional<Value> created = create(progId))
            return std::move(*created);
    }
    throw ComError(hresult::REGDB_E_CLASSNOTREG, "Class not registered");
}

using EventInfoSlot = std::shared_ptr<LentEventInfo::Lent>;
const ServedClass<EventInfoSlot> kEventInfo{
    "EventInfo",
    {{"EventRecord",
      [](EventInfoSlot& slot, Args&) {
          if (slot->eventInfo == nullptr)
              bridge::ThrowDisconnected("the event this information belongs to is over");
          if (slot->beforeRecord)
              slot->beforeRecord();
          return ServeEventRecord(slot->eventInfo->EventRecord());
      },
      {},
      {}}}};

}  // namespace

LentEventInfo::LentEventInfo(store::EventInfo& eventInfo, std::function<void()> beforeRecord)
    : lent_(std::make_shared<Lent>(Lent{&eventInfo, std::move(beforeRecord)})),
      value_(Serve(kEventInfo, lent_)) {}

LentEventInfo::~LentEventInfo() {
    lent_->eventInfo = nullptr;
    lent_->beforeRecord = nullptr;
}

void ServePlatform(bridge::Channel& channel) {
    channel.Handle("create", [](std::vector<Value>& values) {
        Args args(values);
        args.Expect(1, 1);
        return std::vector<Value>{CreateByProgId(args.Text(0))};
    });
    channel.Handle("getobject", [](std::vector<Value>& values) {
        Args args(values);
        args.Expect(1, 1);
        return std::vector<Value>{BindDirectoryObject(args.Text(0))};
    });
}

}  // namespace platform::emulated::served
