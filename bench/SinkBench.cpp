// The cost of the sink's begin phase of a save (settings read plus stamping)
// against one bare read of the settings file.
#include <benchmark/benchmark.h>

#include "bench/support/BenchFolder.h"
#include "bench/support/InMemoryEvent.h"
#include "bench/support/ThreadCpuClock.h"
#include "common/basIniFile.h"
#include "sink/LibraryFolder.h"
#include "sink/MorvaneCls.h"
#include "sink/MorvaneModule.h"

namespace {

using benchsupport::InMemoryEvent;
using benchsupport::Seconds;

using Clock = benchsupport::ThreadCpuClock;

const std::string kSection = "Morvane Settings";
const std::string kKey = "SCLDisplayFormat";
const std::string kItemUrl = "http://mail/exadmin/example.com/mbx/ann@example.com/Inbox/m.eml";
constexpr int32_t kDeliveredBegin = MorvaneModule::EVT_SYNC_BEGIN | MorvaneModule::EVT_IS_DELIVERED;

// A settings file and a delivered message with a few keywords and an old
// stamp, as the begin phase meets them every day.
struct Scene {
    Scene() {
        folder.Write("Morvane.ini", "[Morvane Settings]\r\nSCLDisplayFormat=SCL=<SCL value>\r\n");
        SetSettingsFolderOverride(folder.path());
    }
    ~Scene() { SetSettingsFolderOverride(std::nullopt); }

    std::string File() const { return folder.path() + "/Morvane.ini"; }

    benchsupport::BenchFolder folder;
    benchsupport::NoAdo ado;
    MorvaneCls sink{ado};
    InMemoryEvent event{{
        {MorvaneModule::kSclProperty, platform::Variant(6)},
        {MorvaneModule::kKeywordsProperty,
         platform::Variant::StringArray({"Project X", "SCL=4", "customer"})},
    }};
};

void BM_ReadIniString(benchmark::State& state) {
    Scene scene;
    const std::string file = scene.File();
    for (auto _ : state)
        benchmark::DoNotOptimize(basIniFile::ReadIniString(kSection, kKey, "", file));
}
BENCHMARK(BM_ReadIniString);

void BM_BeginPhase(benchmark::State& state) {
    Scene scene;
    for (auto _ : state)
        scene.sink.OnSyncSave(scene.event, kItemUrl, kDeliveredBegin);
    if (MorvaneModule::sDisplayFormat != "SCL=<SCL value>")
        state.SkipWithError("the settings were not read");
}
BENCHMARK(BM_BeginPhase);

// Both in one loop, alternating, so the ratio compares like with like; the
// counters are CPU times of this thread.
void BM_BeginPhaseVsRead(benchmark::State& state) {
    Scene scene;
    const std::string file = scene.File();
    Clock::duration begin{}, read{};
    for (auto _ : state) {
        auto t0 = Clock::now();
        scene.sink.OnSyncSave(scene.event, kItemUrl, kDeliveredBegin);
        auto t1 = Clock::now();
        benchmark::DoNotOptimize(basIniFile::ReadIniString(kSection, kKey, "", file));
        auto t2 = Clock::now();
        begin += t1 - t0;
        read += t2 - t1;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["begin_us"] = Seconds(begin) / n * 1e6;
    state.counters["read_us"] = Seconds(read) / n * 1e6;
    state.counters["begin_vs_read_ratio"] = Seconds(begin) / Seconds(read);
}
BENCHMARK(BM_BeginPhaseVsRead);

}  // namespace
