#include "platform/EventLog.h"
#include "platform/Text.h"
#include "platform/bridge/BridgeErrors.h"
#include "platform/bridge/BridgeRoots.h"
#include "platform/bridge/ServedObject.h"
#include "platform/emulated/bridge/ServedClasses.h"

namespace platform::emulated::served {

namespace {

using bridge::Args;
using bridge::Serve;
using bridge::ServedClass;
using bridge::Takes;
using bridge::Value;
using enum bridge::MemberKind;
namespace platform_root = bridge::platform_root;

// What a Windows library in a host reports to the event log.
void ReportEvent(Args& args) {
    EventReport report{
        args.Text(0), static_cast<EventType>(args.Int(1)), static_cast<uint32_t>(args.Int(2)), {}};
    for (const Variant& insert : args.Any(3).AsArray())
        report.inserts.push_back(insert.AppendToEmptyString());
    SystemEventLog().Report(report);
}

struct Platform {};
const ServedClass<Platform> kPlatform{
    std::string(platform_root::kClassName),
    {
        {platform_root::kCreateObject,
         [](Platform&, Args& args) { return CreateServedObject(args.Text(0)); }},
        {platform_root::kGetObject,
         [](Platform&, Args& args) { return BindDirectoryObject(args.Text(0)); }},
        {platform_root::kReportEvent, [](Platform&, Args& args) { ReportEvent(args); }},
    }};

using EventInfoSlot = std::shared_ptr<LentEventInfo::Lent>;
const ServedClass<EventInfoSlot> kEventInfo{
    "EventInfo",
    {{Get, "EventRecord", Takes(0), [](EventInfoSlot& slot) {
          if (slot->eventInfo == nullptr)
              bridge::ThrowDisconnected("the event this information belongs to is over");
          if (slot->beforeRecord)
              slot->beforeRecord();
          return ServeEventRecord(slot->eventInfo->EventRecord());
      }}}};

}  // namespace

const ServedFactory kServedFactories[std::size(bridge::kBridgeClasses)] = {
    {&bridge::kAdoConnection, NewAdoConnection}, {&bridge::kAdoRecord, NewAdoRecord},
    {&bridge::kAdoCommand, NewAdoCommand},       {&bridge::kAdminCatalog, NewAdminCatalog},
    {&bridge::kAdSystemInfo, NewAdSystemInfo},   {&bridge::kWinNtSystemInfo, NewWinNtSystemInfo},
};

Value PlatformRoot() {
    return Serve(kPlatform, Platform{});
}

Value CreateServedObject(const std::string& progId) {
    for (const ServedFactory& factory : kServedFactories) {
        if (text::EqualsNoCase(factory.served->progId, progId))
            return factory.create();
    }
    throw ComError(hresult::CO_E_CLASSSTRING, "Invalid class string");
}

LentEventInfo::LentEventInfo(store::EventInfo& eventInfo, std::function<void()> beforeRecord)
    : lent_(std::make_shared<Lent>(Lent{&eventInfo, std::move(beforeRecord)})),
      value_(Serve(kEventInfo, lent_)) {}

LentEventInfo::~LentEventInfo() {
    lent_->eventInfo = nullptr;
    lent_->beforeRecord = nullptr;
}

}  // namespace platform::emulated::served
