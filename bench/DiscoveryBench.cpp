// The mailbox walk of the setup window over 30,000 directory records, the
// query's size limit: time per record with a state check for every listed
// mailbox (an in-process library object answering "0") against the same
// walk over the same records without any (records without address, which
// the walk lists but does not ask about; only the store's system mailbox
// keeps its address). Both walks run in one loop, in turn, on servers of
// their own.
#include <benchmark/benchmark.h>

#include "bench/support/QuickRun.h"
#include "bench/support/ThreadCpuClock.h"
#include "tests/setup/DiscoveryWorld.h"

namespace {

using benchsupport::Seconds;
using benchsupport::ThreadCpuClock;
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

// One server with its directory and a loaded setup form.
class Walker {
  public:
    explicit Walker(bool withAddress) {
        world_.people->Add(People(world_, withAddress));
        form_ = world_.LoadForm();
        world_.activation.sink->calls.clear();
    }

    // Runs one walk; returns the thread CPU time it took and adds the state
    // checks it made to checks().
    ThreadCpuClock::duration Walk() {
        const auto start = ThreadCpuClock::now();
        form_->GetUsersWithMailboxes();
        const auto spent = ThreadCpuClock::now() - start;
        checks_ += world_.activation.sink->calls.size();
        world_.activation.sink->calls.clear();
        return spent;
    }
    size_t checks() const { return checks_; }
    int listed() const {
        return form_->MbxInstList.ListCount() + form_->MbxUninstList.ListCount() +
               form_->SysMbxInstList.ListCount() + form_->SysMbxUninstList.ListCount();
    }

  private:
    DiscoveryWorld world_;
    std::unique_ptr<setup::InstallForm> form_;
    size_t checks_ = 0;
};

void BM_WalkWithVsWithoutStateChecks(benchmark::State& state) {
    Walker with(true), without(false);
    ThreadCpuClock::duration withTime{}, withoutTime{};
    bool withFirst = true;
    for (auto _ : state) {
        if (withFirst) {
            withTime += with.Walk();
            withoutTime += without.Walk();
        } else {
            withoutTime += without.Walk();
            withTime += with.Walk();
        }
        withFirst = !withFirst;
    }
    // Without addresses only the store's system mailbox, which the world
    // makes with one, is asked about: once a walk.
    const auto walks = static_cast<size_t>(state.iterations());
    if (with.checks() <= walks || without.checks() != walks || with.listed() != without.listed()) {
        state.SkipWithError("the walks did not list the same mailboxes, checked and unchecked");
        return;
    }
    const double perRecord = 1e6 / static_cast<double>(walks) / kRecords;
    state.counters["records"] = kRecords;
    state.counters["state_checks"] =
        static_cast<double>(with.checks() - without.checks()) / static_cast<double>(walks);
    state.counters["with_checks_per_record_us"] = Seconds(withTime) * perRecord;
    state.counters["without_checks_per_record_us"] = Seconds(withoutTime) * perRecord;
    state.counters["state_checks_per_record_ratio"] = Seconds(withTime) / Seconds(withoutTime);
}
BENCHMARK(BM_WalkWithVsWithoutStateChecks)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(benchsupport::QuickRun() ? 1 : 6);

}  // namespace
