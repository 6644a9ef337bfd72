#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Activation.h"
#include "platform/EventLog.h"
#include "platform/emulated/db/Faults.h"
#include "platform/emulated/db/ServerDb.h"
#include "platform/emulated/machine/MachineEventLog.h"
#include "platform/emulated/store/StoreData.h"

namespace platform::emulated {

// ServerDb::Open for a server other processes may be using at the same
// moment: opening checks the schema in a write transaction, which can meet
// a lock another process holds; the open is tried again for a while then.
std::shared_ptr<ServerDb> OpenSharedServer(const std::string& folder);

// One connection to the emulated store: its own database connection (so
// its transaction is its own), the fault checks made on it and the
// activation through which event sinks are created. Records opened through
// an ADO connection share its session.
class StoreSession final : public HeldEventReports {
  public:
    StoreSession(std::shared_ptr<ServerDb> db, Activation& activation)
        : db_(std::move(db)), data_(*db_), gate_(*db_), activation_(activation) {}
    ~StoreSession() override;
    StoreSession(const StoreSession&) = delete;
    StoreSession& operator=(const StoreSession&) = delete;

    ServerDb& db() { return *db_; }
    StoreData& data() { return data_; }
    FaultGate& faults() { return gate_; }
    Activation& activation() { return activation_; }

    // Writes an entry of the store to the machine's Application log; one
    // that cannot be written is lost. While this session holds the server's
    // write lock (its client's transaction), the entry waits for the
    // transaction's end, committed or rolled back, as the log's own write
    // would wait for that lock; so do the entries of this server that sinks
    // report on the thread of one of its events (RunSyncEvent).
    void Report(const EventReport& report);
    bool Hold(const std::string& folder, const EventReport& report) override;
    // The client's transaction ended: the fault checks learn it, and the
    // entries held back are written.
    void TransactionEnded(bool committed);

  private:
    void WriteHeldReports();

    std::shared_ptr<ServerDb> db_;
    StoreData data_;
    FaultGate gate_;
    Activation& activation_;
    std::vector<EventReport> heldReports_;
};

}  // namespace platform::emulated
