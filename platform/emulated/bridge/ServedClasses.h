#pragma once

#include <functional>
#include <iterator>
#include <memory>
#include <string>

#include "platform/StoreAdo.h"
#include "platform/bridge/BridgeClasses.h"
#include "platform/bridge/BridgeValue.h"

// The emulated platform's classes served over the bridge: the platform's
// root object a Wine process is handed at its introduction
// (bridge::platform_root), the classes it creates by ProgID
// (bridge::kBridgeClasses), each bound here to its factory, and the objects
// those hand out.
namespace platform::emulated::served {

// The platform's root object.
bridge::Value PlatformRoot();

// A class the platform serves, with the factory of its objects.
struct ServedFactory {
    const bridge::BridgeClass* served;
    bridge::Value (*create)();
};
// One per class of bridge::kBridgeClasses.
extern const ServedFactory kServedFactories[std::size(bridge::kBridgeClasses)];

// The root's CreateObject: a ProgID that names none of the served classes
// fails with CO_E_CLASSSTRING, as the platform's creation does.
bridge::Value CreateServedObject(const std::string& progId);

// The factories, each in the file of its part of the platform.
bridge::Value NewAdoConnection();
bridge::Value NewAdoRecord();
bridge::Value NewAdoCommand();
bridge::Value NewAdminCatalog();
bridge::Value NewAdSystemInfo();
bridge::Value NewWinNtSystemInfo();
// The root's GetObject: the moniker "GC://RootDSE".
bridge::Value BindDirectoryObject(const std::string& adsPath);

// The store's event record as an "ADODB.Record".
bridge::Value ServeEventRecord(std::shared_ptr<store::Record> record);

// The store's event information lent to the peer for one call: the peer
// reads its EventRecord while the call lasts; afterwards the object is
// disconnected. beforeRecord, when given, runs at every request for the
// record before it is answered; what it throws fails the request.
class LentEventInfo {
  public:
    explicit LentEventInfo(store::EventInfo& eventInfo, std::function<void()> beforeRecord = {});
    ~LentEventInfo();
    LentEventInfo(const LentEventInfo&) = delete;
    LentEventInfo& operator=(const LentEventInfo&) = delete;

    const bridge::Value& value() const { return value_; }

    struct Lent {
        store::EventInfo* eventInfo;
        std::function<void()> beforeRecord;
    };

  private:
    std::shared_ptr<Lent> lent_;
    bridge::Value value_;
};

}  // namespace platform::emulated::served
