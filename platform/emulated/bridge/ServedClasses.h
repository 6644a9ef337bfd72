#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/StoreAdo.h"
#include "platform/bridge/BridgeChannel.h"

// The emulated platform's classes served over the bridge, under the
// platform's own ProgIDs, and the service that creates them for a Wine
// process: its requests "create" (by ProgID) and "getobject" (a directory
// object by ADsPath, the moniker "GC://RootDSE").
namespace platform::emulated::served {

// "ADODB.Connection", "ADODB.Record", "ADODB.Command".
std::optional<bridge::Value> CreateAdoObject(const std::string& progId);
// "COMAdmin.COMAdminCatalog".
std::optional<bridge::Value> CreateCatalogObject(const std::string& progId);
// "ADSystemInfo", "WinNTSystemInfo".
std::optional<bridge::Value> CreateSystemInfoObject(const std::string& progId);
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

// Serves the platform's classes on the channel.
void ServePlatform(bridge::Channel& channel);

}  // namespace platform::emulated::served
