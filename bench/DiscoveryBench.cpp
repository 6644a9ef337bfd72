// The mailbox walk of the setup window over 30,000 directory records, the
// query's size limit: time per record with a state check for every listed
// mailbox (an in-process library object answering "0") and without any
// (records without address, which the walk does not ask about).
#include <benchmark/benchmark.h>

#include "tests/setup/DiscoveryWorld.h"

namespace {

using discoverytest::DiscoveryWorld;
using platform::emulated::NewPerson;

constexpr int kRecords = 30000;

// 30,000 mailbox-enabled people: the store's system mailbox and, of the
// others, one in ten homed on another server, one in twenty disabled, one
// in fifty without a store.
std::vector<NewPerson> People(const DiscoveryWorld& world, bool withAddress) {
    std::vector<NewPerson> people;
    people.reserve(kRecords - 1);
    for (int i = 1; i < kRecords; ++i) {
        NewPerson person =
            world.Person("user" + std::to_string(i), i % 10 == 0 ? "MAIL02" : "MAIL01");
        if (i % 20 == 1) {
            person.useraccountcontrol = platform::emulated::kAccountDisabled;
        }
        if (i % 50 == 3) {
            person.homeMDB.reset();
        }
        if (!withAddress) {
            person.mail.reset();
        }
        people.push_back(std::move(person));
    }
    return people;
}

void Walk(benchmark::State& state, bool withAddress) {
    DiscoveryWorld world;
    world.people->Add(People(world, withAddress));
    auto form = world.LoadForm();
    for (auto _ : state) {
        form->GetUsersWithMailboxes();
    }
    state.counters["records"] = kRecords;
    state.counters["per_record"] = benchmark::Counter(
        static_cast<double>(kRecords),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["state_checks"] = static_cast<double>(world.activation.sink->calls.size()) /
                                     static_cast<double>(state.iterations());
}

void BM_WalkWithStateChecks(benchmark::State& state) {
    Walk(state, true);
}
BENCHMARK(BM_WalkWithStateChecks)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_WalkWithoutStateChecks(benchmark::State& state) {
    Walk(state, false);
}
BENCHMARK(BM_WalkWithoutStateChecks)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
