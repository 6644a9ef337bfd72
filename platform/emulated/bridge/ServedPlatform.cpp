#include "platform/EventLog.h"
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
    // What a Windows library in a host reports to the event log.
    channel.Handle("eventlog.report", [](std::vector<Value>& values) {
        Args args(values);
        args.Expect(4, 4);
        EventReport report{args.Text(0),
                           static_cast<EventType>(args.Int(1)),
                           static_cast<uint32_t>(args.Int(2)),
                           {}};
        for (const Variant& insert : args.Any(3).AsArray())
            report.inserts.push_back(insert.AppendToEmptyString());
        SystemEventLog().Report(report);
        return std::vector<Value>{};
    });
    channel.Handle("getobject", [](std::vector<Value>& values) {
        Args args(values);
        args.Expect(1, 1);
        return std::vector<Value>{BindDirectoryObject(args.Text(0))};
    });
}

}  // namespace platform::emulated::served
