#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/StoreAdo.h"
#include "tests/reliability/SinkServer.h"
#include "tests/reliability/TracingStore.h"

// A fault sweep: a run of one of the sink's store-facing methods, first
// clean, to learn every store call it makes, then once per call with a
// failure planted at exactly that call, each time on a fresh server.
namespace reliability {

struct SweepCase {
    std::string name;
    // Builds what the run needs on a fresh server.
    std::function<void(SinkServer&)> prepare;
    // Runs the method through the given ADO (saves go through the sink's
    // activation, which the sweep traces too); returns its status string or
    // the delivered message's URL.
    std::function<std::string(SinkServer&, platform::store::Ado&)> run;
    // Checks the outcome: of the clean run when failed is null, otherwise of
    // the run in which that call failed.
    std::function<void(SinkServer&, const std::string& result, const StoreCall* failed,
                       int32_t number)>
        verify;
};

// What a clean run did, and the prepared server every run of the case
// starts from a copy of.
struct CleanRun {
    std::string result;
    std::vector<StoreCall> calls;
    std::shared_ptr<SinkServer> prepared;
};

CleanRun RunClean(const SweepCase& sweepCase);

// The run with the call at index failing with number and description.
// Fails the current test when the fault was not met by that very call.
void RunFailingAt(const SweepCase& sweepCase, const CleanRun& clean, size_t index, int32_t number,
                  const std::string& description);

// Whether a fault of operation, planted for one use before a run and
// matching every URL, was met by the run.
bool RunMeetsPlantedFault(const SweepCase& sweepCase, const CleanRun& clean,
                          const std::string& operation);

// The registration items of the server, each with all its properties, as
// one text: equal texts mean nothing was added, removed or changed.
std::string RegistrationSnapshot(SinkServer& server);

// The operation names of a list of calls, in order.
std::vector<std::string> OperationsOf(const std::vector<StoreCall>& calls);

// The sweep's cases: the three registration methods in the places the
// setup program uses them, and the begin phase of saves into registered
// folders.
std::vector<SweepCase> RegistrationCases();
std::vector<SweepCase> SaveCases();

// The store operations the emulated store can be told to fail, as its
// sources name them (collected by the build).
std::set<std::string> StoreFaultOperations();
// Fault checks in the store's sources whose operation name the build could
// not read (not written out as a literal).
int UnnamedStoreFaultChecks();

}  // namespace reliability
