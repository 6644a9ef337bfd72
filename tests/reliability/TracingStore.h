#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/StoreAdo.h"
#include "platform/emulated/db/Faults.h"
#include "platform/emulated/store/StoreAdo.h"

// ADO objects and an event record that pass every call on to the emulated
// store and note each call the store can be told to fail, under the name
// its planted faults use ("record.open", "field.write", ...). On request a
// one-use fault is planted in the store just before a chosen call, so that
// exactly that call fails inside the store, wherever it stands in a run.
namespace reliability {

struct StoreCall {
    std::string operation;
    std::string url;
    // What the run was doing: "" for a registration method, the event phase
    // ("begin", "committed") inside a save.
    std::string phase;
};

class StoreTrace {
  public:
    // serverFaults plants faults that are met outside any open connection.
    explicit StoreTrace(platform::emulated::Faults& serverFaults) : serverFaults_(serverFaults) {}

    // The call with this index (counting from 0) fails with the given error.
    void FailCallAt(size_t index, int32_t number, std::string description);
    void SetPhase(std::string phase) { phase_ = std::move(phase); }

    // Notes a call before it is passed on, planting the fault when it is
    // the chosen one. sessionDb is the connection the store checks faults
    // on (needed inside its transactions); null means the server's.
    void Enter(std::string_view operation, const std::string& url,
               platform::emulated::ServerDb* sessionDb);

    const std::vector<StoreCall>& calls() const { return calls_; }
    bool planted() const { return planted_; }

  private:
    platform::emulated::Faults& serverFaults_;
    std::vector<StoreCall> calls_;
    std::string phase_;
    std::optional<size_t> failAt_;
    int32_t number_ = 0;
    std::string description_;
    bool planted_ = false;
};

// ADO over the emulated store, traced.
class TracedAdo : public platform::store::Ado {
  public:
    TracedAdo(platform::emulated::EmulatedStoreAdo& inner, StoreTrace& trace)
        : inner_(inner), trace_(trace) {}
    std::shared_ptr<platform::store::Connection> CreateConnection() override;
    std::shared_ptr<platform::store::Record> CreateRecord() override;

  private:
    platform::emulated::EmulatedStoreAdo& inner_;
    StoreTrace& trace_;
};

// The store's event information object, traced.
class TracedEventInfo : public platform::store::EventInfo {
  public:
    TracedEventInfo(platform::store::EventInfo& inner, StoreTrace& trace, std::string itemUrl)
        : inner_(inner), trace_(trace), itemUrl_(std::move(itemUrl)) {}
    std::shared_ptr<platform::store::Record> EventRecord() override;

  private:
    platform::store::EventInfo& inner_;
    StoreTrace& trace_;
    std::string itemUrl_;
};

}  // namespace reliability
