// The Windows sink's cost in a delivery: one message delivered into a
// registered Inbox of a server whose sink is the Windows build's
// Morvane.dll, installed into the COM+ application, which runs it in the
// application's process under Wine, reached over the bridge, against the
// same delivery into a twin server whose sink is Morvane.so, in one run, in
// alternation. Beside it, the cost of one bridged call: the library's
// DllCanUnloadNow run in this thread's own host, one round trip to the host
// and back, and a call of the application's process.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "bench/support/BenchServer.h"
#include "bench/support/QuickRun.h"
#include "bench/support/Spent.h"
#include "platform/bridge/BridgeRoots.h"
#include "platform/emulated/hosting/ApplicationProcess.h"
#include "platform/emulated/store/StoreValues.h"

namespace {

using benchsupport::BenchServer;
using benchsupport::Seconds;
using benchsupport::Spent;
using platform::Variant;
using platform::emulated::DeliveredMessage;

namespace property = platform::emulated::property;

constexpr char kAddress[] = "ann@example.com";

// One server with one mailbox, its Inbox registered for the sink of the
// library given, installed into the COM+ application as the setup program
// installs it.
class Twin {
  public:
    explicit Twin(const std::string& libraryFile)
        : server_(libraryFile, BenchServer::Registration::InComPlusApplication) {
        server_.WriteSettings("[Morvane Settings]\r\nSCLDisplayFormat=SCL=<SCL value>\r\n");
        server_.AddMailboxStore();
        server_.RegisterInbox(server_.AddMailbox(kAddress));
    }

    std::string Deliver(const DeliveredMessage& message) {
        return server_.store().DeliverToInbox(kAddress, message);
    }
    Variant Comments(const std::string& url) {
        return server_.store().ReadItem(url).properties.Get(property::kComments);
    }
    BenchServer& server() { return server_; }

  private:
    BenchServer server_;
};

// Delivers the message into the twin, adding the time it took to spent:
// the Windows sink works in another process, so the wall clock is the
// measure.
std::string TimedDelivery(Twin& twin, const DeliveredMessage& message, Spent& spent) {
    return spent.Add([&] { return twin.Deliver(message); });
}

// The Windows build's files and the Wine prefix: the build's own unless
// the environment names others.
std::string WindowsLibrary() {
    setenv("MORVANE_WINDOWS_BIN", MORVANE_WINDOWS_BIN, 0);
    setenv("MORVANE_WINEPREFIX", MORVANE_BENCH_WINEPREFIX, 0);
    return std::string(std::getenv("MORVANE_WINDOWS_BIN")) + "/Morvane.dll";
}

// The mean wall-clock time of an export of the hosted library, run in the
// host (member look-ups on a hosted object are asked once per host).
double BridgedCallSeconds(Twin& windows, const std::string& library, int calls) {
    auto canUnloadNow = windows.server().activation().BindExport(library, "DllCanUnloadNow");
    canUnloadNow();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < calls; ++i)
        benchmark::DoNotOptimize(canUnloadNow());
    return Seconds(std::chrono::steady_clock::now() - start) / calls;
}

// The mean wall-clock time of a call of the application's process, a
// member of its root answered at once: the round trip an event's calls
// into the sink and back each cost.
double ApplicationCallSeconds(Twin& windows, int calls) {
    auto host =
        platform::emulated::ApplicationHostOfThisThread(windows.server().serverFolder(), "Morvane");
    std::vector<bridge::Value> none;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < calls; ++i)
        benchmark::DoNotOptimize(host->Invoke(bridge::host_root::kListenerPort, none));
    return Seconds(std::chrono::steady_clock::now() - start) / calls;
}

void BM_WindowsVsLinuxDelivery(benchmark::State& state) {
    const std::string windowsLibrary = WindowsLibrary();
    if (!std::filesystem::exists(std::filesystem::path(windowsLibrary).parent_path() /
                                 "MorvaneBridge.dll")) {
        state.SkipWithError(
            "MORVANE_WINDOWS_BIN holds no MorvaneBridge.dll: build the preset win32 with its "
            "tests");
        return;
    }
    Twin linuxTwin(MORVANE_LIBRARY_FILE);
    Twin windowsTwin(windowsLibrary);
    DeliveredMessage message;
    message.scl = 6;
    message.keywords = Variant::StringArray({"Project X", "SCL=4", "customer"});
    // The host starts with the first delivery; that start is not measured.
    message.subject = "Warm-up";
    windowsTwin.Deliver(message);
    Spent onWindows, onLinux;
    std::string stampedOnWindows, stampedOnLinux;
    int round = 0;
    for (auto _ : state) {
        message.subject = "Quarterly offer " + std::to_string(++round);
        if (round % 2 == 0) {
            stampedOnWindows = TimedDelivery(windowsTwin, message, onWindows);
            stampedOnLinux = TimedDelivery(linuxTwin, message, onLinux);
        } else {
            stampedOnLinux = TimedDelivery(linuxTwin, message, onLinux);
            stampedOnWindows = TimedDelivery(windowsTwin, message, onWindows);
        }
    }
    if (windowsTwin.Comments(stampedOnWindows) != Variant("SCL=6") ||
        linuxTwin.Comments(stampedOnLinux) != Variant("SCL=6")) {
        state.SkipWithError("a sink did not stamp its server's messages");
        return;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["windows_delivery_us"] = Seconds(onWindows.wall) / n * 1e6;
    state.counters["linux_delivery_us"] = Seconds(onLinux.wall) / n * 1e6;
    state.counters["windows_delivery_cpu_us"] = Seconds(onWindows.cpu) / n * 1e6;
    state.counters["linux_delivery_cpu_us"] = Seconds(onLinux.cpu) / n * 1e6;
    state.counters["windows_vs_linux_delivery_ratio"] =
        Seconds(onWindows.wall) / Seconds(onLinux.wall);
    const int calls = benchsupport::QuickRun() ? 20 : 2000;
    state.counters["bridged_call_us"] =
        BridgedCallSeconds(windowsTwin, windowsLibrary, calls) * 1e6;
    state.counters["application_call_us"] = ApplicationCallSeconds(windowsTwin, calls) * 1e6;
}
// Rounds by the wall clock: this thread's CPU time is a small part of a
// Windows delivery.
BENCHMARK(BM_WindowsVsLinuxDelivery)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime()
    ->MinTime(benchsupport::QuickRun() ? 0.01 : 3.0);

}  // namespace
