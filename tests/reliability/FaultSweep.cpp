#include "tests/reliability/FaultSweep.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/ComError.h"
#include "platform/Text.h"
#include "platform/Variant.h"

namespace reliability {

namespace {

// Faults planted and not used up.
size_t UnusedFaults(SinkServer& server) {
    size_t unused = 0;
    for (const auto& fault : server.model.faults().List()) {
        if (!fault.remaining || *fault.remaining > 0)
            ++unused;
    }
    return unused;
}

std::string Describe(const StoreCall& call) {
    return call.operation + " " + call.url + (call.phase.empty() ? "" : " (" + call.phase + ")");
}

}  // namespace

CleanRun RunClean(const SweepCase& sweepCase) {
    CleanRun clean;
    clean.prepared = std::make_shared<SinkServer>();
    sweepCase.prepare(*clean.prepared);
    SinkServer server(*clean.prepared);
    StoreTrace trace(server.model.faults());
    TracedAdo ado(server.ado, trace);
    server.activation.TraceEventsInto(&trace);
    clean.result = sweepCase.run(server, ado);
    server.activation.TraceEventsInto(nullptr);
    clean.calls = trace.calls();
    SCOPED_TRACE(sweepCase.name + ", clean run");
    sweepCase.verify(server, clean.result, nullptr, 0);
    return clean;
}

void RunFailingAt(const SweepCase& sweepCase, const CleanRun& clean, size_t index, int32_t number,
                  const std::string& description) {
    const StoreCall& failing = clean.calls.at(index);
    SCOPED_TRACE(sweepCase.name + ", failing call " + std::to_string(index) + ": " +
                 Describe(failing) + ", error " + std::to_string(number));
    SinkServer server(*clean.prepared);
    StoreTrace trace(server.model.faults());
    trace.FailCallAt(index, number, description);
    TracedAdo ado(server.ado, trace);
    server.activation.TraceEventsInto(&trace);
    std::string result;
    EXPECT_NO_THROW(result = sweepCase.run(server, ado));
    server.activation.TraceEventsInto(nullptr);
    ASSERT_TRUE(trace.planted());
    ASSERT_GT(trace.calls().size(), index);
    EXPECT_EQ(Describe(trace.calls()[index]), Describe(failing));
    EXPECT_EQ(UnusedFaults(server), 0u) << "the planted fault was not met";
    sweepCase.verify(server, result, &trace.calls()[index], number);
}

bool RunMeetsPlantedFault(const SweepCase& sweepCase, const CleanRun& clean,
                          const std::string& operation) {
    SinkServer server(*clean.prepared);
    platform::emulated::PlantedFault fault;
    fault.operation = operation;
    fault.number = platform::hresult::E_FAIL;
    fault.description = "Unspecified error";
    fault.remaining = 1;
    server.model.faults().Plant(fault);
    StoreTrace trace(server.model.faults());
    TracedAdo ado(server.ado, trace);
    server.activation.TraceEventsInto(&trace);
    sweepCase.run(server, ado);
    server.activation.TraceEventsInto(nullptr);
    return UnusedFaults(server) == 0;
}

std::string RegistrationSnapshot(SinkServer& server) {
    std::ostringstream snapshot;
    for (const auto& item : server.model.RegistrationItems()) {
        snapshot << item.url << '\n';
        for (const auto& [name, value] : item.properties.entries())
            snapshot << "  " << name << " = " << platform::Describe(value) << '\n';
    }
    return snapshot.str();
}

std::vector<std::string> OperationsOf(const std::vector<StoreCall>& calls) {
    std::vector<std::string> operations;
    for (const StoreCall& call : calls)
        operations.push_back(call.operation);
    return operations;
}

std::set<std::string> StoreFaultOperations() {
    std::set<std::string> operations;
    std::istringstream list(MORVANE_STORE_FAULT_OPERATIONS);
    std::string operation;
    while (std::getline(list, operation, ','))
        operations.insert(platform::text::Trim(operation));
    operations.erase("");
    return operations;
}

int UnnamedStoreFaultChecks() {
    return MORVANE_STORE_UNNAMED_FAULT_CHECKS;
}

}  // namespace reliability
