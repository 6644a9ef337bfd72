// The mailbox walk of the setup window over 30,000 directory records, the
// query's size limit.
//
// BM_WalkWithVsWithoutStateChecks: time per record with a state check for
// every listed mailbox (an in-process library object answering "0")
// against the same walk over the same records without any (records without
// address, which the walk lists but does not ask about; only the store's
// system mailbox keeps its address). Both walks run in one loop, in turn,
// on servers of their own.
//
// BM_SetupProgramVsModelWalk: the walk the administrator waits for,
// MorvaneSetup -b run as a process (offscreen) beside Morvane.so as they
// are installed, on a server that morvane-lab makes with 30,000 mailboxes,
// none registered, so that every mailbox is checked through the library;
// against the walk of the form's model alone over as many checked records
// with the in-process stand-in, in turn in one loop.
#include <benchmark/benchmark.h>

#include <functional>

#include "bench/support/ChildProcess.h"
#include "bench/support/InstalledSetup.h"
#include "bench/support/QuickRun.h"
#include "bench/support/ThreadCpuClock.h"
#include "tests/setup/DiscoveryWorld.h"

namespace {

using benchsupport::InstalledSetup;
using benchsupport::ProcessRun;
using benchsupport::Seconds;
using benchsupport::ThreadCpuClock;
using discoverytest::DiscoveryWorld;
using platform::emulated::NewPerson;

constexpr int kRecords = 30000;
// The records of a smoke run of the setup program, which only checks that
// the benchmark works.
constexpr int kQuickRecords = 200;

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

// count - 1 people homed here, each a user mailbox with an address: with
// the store's system mailbox, count records that are all listed and
// checked.
std::vector<NewPerson> CheckedPeople(const DiscoveryWorld& world, int count) {
    std::vector<NewPerson> people;
    for (int i = 1; i < count; ++i)
        people.push_back(world.Person("user" + std::to_string(i), "MAIL01"));
    return people;
}

// One server with its directory and a loaded setup form.
class Walker {
  public:
    explicit Walker(bool withAddress)
        : Walker(
              [withAddress](const DiscoveryWorld& world) { return People(world, withAddress); }) {}
    explicit Walker(const std::function<std::vector<NewPerson>(const DiscoveryWorld&)>& people) {
        world_.people->Add(people(world_));
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

// MorvaneSetup -b beside Morvane.so as installed, offscreen.
InstalledSetup LinuxSetup(int mailboxes) {
    return InstalledSetup({MORVANE_SETUP_FILE, MORVANE_LIBRARY_FILE}, {"MorvaneSetup", "-b"},
                          {{"QT_QPA_PLATFORM", "offscreen"}}, mailboxes);
}

// The model's walk is short beside the program's: it walks this many times
// a round, so that both have their share of the machine's ups and downs.
constexpr int kModelWalksPerRound = 3;

// One round: the program's run before the model's walks, or after them.
ProcessRun RunRound(const InstalledSetup& setup, Walker& model, bool programFirst,
                    ThreadCpuClock::duration& modelTime) {
    ProcessRun run;
    for (int slot = 0; slot <= kModelWalksPerRound; ++slot) {
        if (slot == (programFirst ? 0 : kModelWalksPerRound))
            run = setup.RunBatch();
        else
            modelTime += model.Walk();
    }
    return run;
}

// CPU time of the program's whole run (all its threads, start-up and exit
// included) per record, against the model's walk per record.
void BM_SetupProgramVsModelWalk(benchmark::State& state) {
    const int records = benchsupport::QuickRun() ? kQuickRecords : kRecords;
    const InstalledSetup setup = LinuxSetup(records - 1);
    Walker model([records](const DiscoveryWorld& world) { return CheckedPeople(world, records); });
    std::chrono::nanoseconds programCpu{}, programWall{};
    ThreadCpuClock::duration modelTime{};
    bool programFirst = true;
    for (auto _ : state) {
        const ProcessRun run = RunRound(setup, model, programFirst, modelTime);
        programFirst = !programFirst;
        if (run.exitCode != 0) {
            state.SkipWithError("the setup program's batch run failed");
            return;
        }
        programCpu += run.cpu;
        programWall += run.wall;
    }
    const auto rounds = static_cast<double>(state.iterations());
    const auto modelWalks = static_cast<size_t>(state.iterations()) * kModelWalksPerRound;
    if (model.checks() != modelWalks * static_cast<size_t>(records) ||
        !setup.ChecksThroughTheLibrary()) {
        state.SkipWithError("a walk did not check every mailbox");
        return;
    }
    const double programPerRecord = Seconds(programCpu) / rounds / records;
    const double modelPerRecord = Seconds(modelTime) / static_cast<double>(modelWalks) / records;
    state.counters["records"] = records;
    state.counters["setup_walk_per_record_us"] = programPerRecord * 1e6;
    state.counters["setup_walk_wall_per_record_us"] = Seconds(programWall) / rounds / records * 1e6;
    state.counters["model_walk_per_record_us"] = modelPerRecord * 1e6;
    state.counters["setup_walk_vs_model_walk_ratio"] = programPerRecord / modelPerRecord;
}
BENCHMARK(BM_SetupProgramVsModelWalk)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(benchsupport::QuickRun() ? 1 : 4);

}  // namespace
