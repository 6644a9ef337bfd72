// The setup program's walk on the Windows path: `morvane-lab wine
// MorvaneSetup.exe -b` beside Morvane.dll, under Wine, against
// `MorvaneSetup -b` beside Morvane.so, each as a user runs it, on twin
// servers of 3,000 mailboxes with no registration (every mailbox is listed
// and checked through the library), made once and walked in alternation in
// one run. The Windows walk reaches the server over the bridge: each ADO
// call of the program and of the library it loads is a bridged call.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

#include "bench/support/InstalledSetup.h"
#include "bench/support/QuickRun.h"
#include "bench/support/ThreadCpuClock.h"

namespace {

using benchsupport::InstalledSetup;
using benchsupport::ProcessRun;
using benchsupport::Seconds;

constexpr int kMailboxes = 3000;
// The smoke run only checks that the benchmark works.
constexpr int kQuickMailboxes = 150;

InstalledSetup WindowsSetup(int mailboxes) {
    const std::filesystem::path bin = std::getenv("MORVANE_WINDOWS_BIN");
    return InstalledSetup({(bin / "MorvaneSetup.exe").string(), (bin / "Morvane.dll").string()},
                          {MORVANE_LAB_FILE, "wine", "MorvaneSetup.exe", "-b"}, {{"DISPLAY", ""}},
                          mailboxes);
}

InstalledSetup LinuxSetup(int mailboxes) {
    return InstalledSetup({MORVANE_SETUP_FILE, MORVANE_LIBRARY_FILE}, {"MorvaneSetup", "-b"},
                          {{"QT_QPA_PLATFORM", "offscreen"}}, mailboxes);
}

// The Windows build's files and the Wine prefix: the build's own unless
// the environment names others.
bool FindWindowsBuild() {
    setenv("MORVANE_WINDOWS_BIN", MORVANE_WINDOWS_BIN, 0);
    setenv("MORVANE_WINEPREFIX", MORVANE_BENCH_WINEPREFIX, 0);
    return std::filesystem::exists(std::filesystem::path(std::getenv("MORVANE_WINDOWS_BIN")) /
                                   "MorvaneBridge.dll");
}

void BM_WindowsVsLinuxWalk(benchmark::State& state) {
    if (!FindWindowsBuild()) {
        state.SkipWithError("MORVANE_WINDOWS_BIN holds no MorvaneBridge.dll");
        return;
    }
    const int mailboxes = benchsupport::QuickRun() ? kQuickMailboxes : kMailboxes;
    const InstalledSetup onWindows = WindowsSetup(mailboxes - 1);
    const InstalledSetup onLinux = LinuxSetup(mailboxes - 1);
    // Also the first start of Wine's own processes, which is not measured.
    if (!onWindows.ChecksThroughTheLibrary() || !onLinux.ChecksThroughTheLibrary()) {
        state.SkipWithError("a batch run did not check the mailboxes through its library");
        return;
    }
    std::chrono::nanoseconds windowsWall{}, linuxWall{};
    bool windowsFirst = true;
    for (auto _ : state) {
        const ProcessRun first = (windowsFirst ? onWindows : onLinux).RunBatch();
        const ProcessRun second = (windowsFirst ? onLinux : onWindows).RunBatch();
        if (first.exitCode != 0 || second.exitCode != 0) {
            state.SkipWithError("a batch run failed");
            return;
        }
        windowsWall += (windowsFirst ? first : second).wall;
        linuxWall += (windowsFirst ? second : first).wall;
        windowsFirst = !windowsFirst;
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["mailboxes"] = mailboxes;
    state.counters["windows_walk_s"] = Seconds(windowsWall) / runs;
    state.counters["linux_walk_s"] = Seconds(linuxWall) / runs;
    state.counters["windows_walk_per_mailbox_ms"] = Seconds(windowsWall) / runs / mailboxes * 1e3;
    state.counters["windows_vs_linux_walk_ratio"] = Seconds(windowsWall) / Seconds(linuxWall);
}
// Rounds by the wall clock: the walks are processes of their own.
BENCHMARK(BM_WindowsVsLinuxWalk)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(benchsupport::QuickRun() ? 1 : 2);

}  // namespace
