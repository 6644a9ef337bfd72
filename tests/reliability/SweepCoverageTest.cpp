// The sweep cannot miss a store call: every operation the emulated store
// can fail is one the sweep's clean runs make, and what the traced runs
// record agrees with the faults the store itself meets.
#include <gtest/gtest.h>

#include "platform/emulated/db/FaultOperations.h"
#include "tests/reliability/FaultSweep.h"

namespace reliability {
namespace {

std::vector<SweepCase> AllCases() {
    std::vector<SweepCase> cases = RegistrationCases();
    for (SweepCase& sweepCase : SaveCases())
        cases.push_back(std::move(sweepCase));
    return cases;
}

TEST(SweepCoverage, TheStoreNamesTheOperationsTheSweepKnows) {
    const std::set<std::string> operations = StoreFaultOperations();
    EXPECT_TRUE(operations.count("record.open"));
    EXPECT_TRUE(operations.count("fields.update"));
    EXPECT_GE(operations.size(), 9u);
    EXPECT_EQ(UnnamedStoreFaultChecks(), 0);
    // The store's sources and the server's list of operations agree.
    std::set<std::string> listed;
    for (const auto& operation : platform::emulated::kFaultOperations) {
        if (operation.part == "store")
            listed.emplace(operation.name);
    }
    EXPECT_EQ(operations, listed);
}

TEST(SweepCoverage, CleanRunsTouchEveryOperationTheStoreCanFail) {
    std::set<std::string> touched;
    for (const SweepCase& sweepCase : AllCases()) {
        for (const StoreCall& call : RunClean(sweepCase).calls)
            touched.insert(call.operation);
    }
    EXPECT_EQ(touched, StoreFaultOperations());
}

// A fault planted before the run, for one use and any URL, is met exactly
// when the traced clean run makes a call of that operation: the trace
// misses no call the store checks, and names none it does not.
TEST(SweepCoverage, TraceAgreesWithTheFaultsTheStoreMeets) {
    for (const SweepCase& sweepCase : AllCases()) {
        const CleanRun clean = RunClean(sweepCase);
        std::set<std::string> traced;
        for (const StoreCall& call : clean.calls)
            traced.insert(call.operation);
        for (const std::string& operation : StoreFaultOperations()) {
            EXPECT_EQ(RunMeetsPlantedFault(sweepCase, clean, operation),
                      traced.count(operation) == 1)
                << sweepCase.name << ": " << operation;
        }
    }
}

}  // namespace
}  // namespace reliability
