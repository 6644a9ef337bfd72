// The COM+ application's one process under a long load: deliveries into
// registered Inboxes from four morvane-lab processes at a time, each a store
// event in the process that runs the Windows build's Morvane.dll, with a
// failure planted at every store call whose failure the sink reports by its
// own kind (the event record, a field read, a field write, the update; the
// settings file's read and running out of memory cannot be caused from
// outside). The process's resident memory and handle count after the first
// quarter of the deliveries against the same at the end: flat when nothing
// leaks per event.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <thread>

#include "bench/support/BenchFolder.h"
#include "bench/support/ChildProcess.h"
#include "bench/support/QuickRun.h"
#include "platform/bridge/BridgeRoots.h"
#include "platform/emulated/hosting/ApplicationProcess.h"

namespace {

using benchsupport::ProcessRun;

constexpr int kWorkers = 4;
constexpr int kMailboxes = 20;
constexpr const char* kBase = "http://ex1/exadmin/morvane.test/mbx/";
// A clean subject, and one per planted failure.
const std::map<std::string, std::string> kFailures = {{"Clean", ""},
                                                      {"Record", "event.record"},
                                                      {"Read", "field.read"},
                                                      {"Write", "field.write"},
                                                      {"Update", "fields.update"}};

// The mailboxes morvane-lab adds: soak01 to soak20.
std::string Mailbox(int number) {
    return std::string(number < 10 ? "soak0" : "soak") + std::to_string(number) + "@morvane.test";
}

// A server made by morvane-lab with Morvane.dll installed into the COM+
// application "Morvane" and the Inboxes of its soak mailboxes registered.
class SoakServer {
  public:
    SoakServer() {
        setenv("MORVANE_WINDOWS_BIN", MORVANE_WINDOWS_BIN, 0);
        setenv("MORVANE_WINEPREFIX", MORVANE_BENCH_WINEPREFIX, 0);
        const std::string library = folder_.path() + "/Morvane.dll";
        std::filesystem::copy_file(std::string(std::getenv("MORVANE_WINDOWS_BIN")) + "/Morvane.dll",
                                   library);
        Lab({"init", "--empty"});
        Lab({"mailbox", "add", "--count", std::to_string(kMailboxes), "--prefix", "soak", "--store",
             "Mailbox Store"});
        Lab({"catalog", "install", "Morvane", library});
        for (int number = 1; number <= kMailboxes; ++number)
            Lab({"invoke", "Morvane.MorvaneCls", "CreateRegItem", kBase + Mailbox(number), "inbox",
                 "Morvane.reg", "onsyncsave", "Morvane.MorvaneCls", "SHALLOW",
                 " WHERE \"DAV:ishidden\" = FALSE", "1"});
        for (const auto& [subject, operation] : kFailures) {
            if (!operation.empty())
                Lab({"fault", "add", operation, "--url", "*/" + subject + "*"});
        }
    }
    ~SoakServer() { platform::emulated::EndApplicationHosts(Server()); }

    void Lab(const std::vector<std::string>& arguments) const {
        const ProcessRun run = benchsupport::RunProcess(MORVANE_LAB_FILE, arguments, folder_.path(),
                                                        {{"MORVANE_SERVER", Server()}});
        if (run.exitCode != 0)
            throw std::runtime_error("morvane-lab " + arguments.front() +
                                     " failed: " + run.errorOutput);
    }
    // One quarter: each worker delivers count messages of every subject.
    void DeliverQuarter(int count) const {
        std::vector<std::thread> workers;
        std::vector<std::string> failures(kWorkers);
        for (int worker = 0; worker < kWorkers; ++worker) {
            workers.emplace_back([&, worker] {
                int mailbox = worker;
                for (const auto& [subject, operation] : kFailures) {
                    try {
                        Lab({"deliver", Mailbox(mailbox++ % kMailboxes + 1), "--scl", "5",
                             "--subject", subject, "--count", std::to_string(count)});
                    } catch (const std::runtime_error& error) {
                        failures[worker] = error.what();
                    }
                }
            });
        }
        for (std::thread& worker : workers)
            worker.join();
        for (const std::string& failure : failures) {
            if (!failure.empty())
                throw std::runtime_error(failure);
        }
    }
    std::string Server() const { return folder_.path() + "/server"; }

  private:
    benchsupport::BenchFolder folder_;
};

// The application's process: its number, resident memory and handles.
struct ProcessFigures {
    pid_t process = 0;
    double residentKib = 0;
    double handles = 0;
};

double ResidentKib(pid_t process) {
    std::ifstream status("/proc/" + std::to_string(process) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6));
    }
    return 0;
}

ProcessFigures Figures(const SoakServer& server) {
    auto host = platform::emulated::RunningApplicationHostOfThisThread(server.Server(), "Morvane");
    if (!host)
        throw std::runtime_error("the application's process does not run");
    std::vector<bridge::Value> none;
    const int32_t handles =
        host->Invoke(bridge::host_root::kHandleCount, none).AsVariant().AsInt32();
    return {host->Process(), ResidentKib(host->Process()), static_cast<double>(handles)};
}

// Four quarters of deliveries; the figures after the first and the last.
void RunSoak(benchmark::State& state, int perCommand) {
    SoakServer server;
    // The connection that measures is there from the start, so that the
    // first quarter meets the process at its busiest: its apartments and
    // their threads are then all there.
    Figures(server);
    server.DeliverQuarter(perCommand);
    const ProcessFigures first = Figures(server);
    for (int quarter = 1; quarter < 4; ++quarter)
        server.DeliverQuarter(perCommand);
    const ProcessFigures end = Figures(server);
    if (end.process != first.process) {
        state.SkipWithError("the application's process did not last the soak");
        return;
    }
    state.counters["deliveries"] = 4.0 * kWorkers * perCommand * kFailures.size();
    state.counters["first_quarter_rss_kib"] = first.residentKib;
    state.counters["end_rss_kib"] = end.residentKib;
    state.counters["rss_growth_kib"] = end.residentKib - first.residentKib;
    state.counters["first_quarter_handles"] = first.handles;
    state.counters["end_handles"] = end.handles;
    state.counters["handle_growth"] = end.handles - first.handles;
    state.counters["end_vs_first_quarter_rss_ratio"] = end.residentKib / first.residentKib;
}

void BM_ApplicationProcessSoak(benchmark::State& state) {
    if (!std::filesystem::exists(std::filesystem::path(MORVANE_WINDOWS_BIN) /
                                 "MorvaneBridge.dll")) {
        state.SkipWithError(
            "MORVANE_WINDOWS_BIN holds no MorvaneBridge.dll: build the preset "
            "win32 with its tests");
        return;
    }
    const int deliveries = benchsupport::QuickRun() ? 400 : 50000;
    const int perCommand = deliveries / 4 / kWorkers / static_cast<int>(kFailures.size());
    for (auto _ : state) {
        try {
            RunSoak(state, perCommand);
        } catch (const std::exception& error) {
            state.SkipWithError(error.what());
        }
    }
}
BENCHMARK(BM_ApplicationProcessSoak)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

}  // namespace
