#include "bench/support/ChildProcess.h"

#include <fstream>
#include <sstream>
#include <system_error>

#include "bench/support/BenchFolder.h"
#include "platform/emulated/machine/ChildProcess.h"

namespace benchsupport {

namespace {

using platform::emulated::ChildExit;
using platform::emulated::ChildLaunch;

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

ProcessRun RunProcess(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& folder,
                      const std::map<std::string, std::string>& environment) {
    BenchFolder outputs;
    ChildLaunch launch;
    launch.words = {program};
    launch.words.insert(launch.words.end(), arguments.begin(), arguments.end());
    launch.environment = platform::emulated::EnvironmentWith(environment);
    launch.folder = folder;
    launch.output = "/dev/null";
    launch.error = outputs.path() + "/stderr";
    ProcessRun run;
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    try {
        child = platform::emulated::StartChild(launch);
    } catch (const std::system_error&) {
        return run;
    }
    const std::optional<ChildExit> exit = platform::emulated::WaitForChild(child, -1);
    run.wall = std::chrono::steady_clock::now() - start;
    run.cpu = exit->cpu;
    run.exitCode = exit->exited ? exit->status : -1;
    run.errorOutput = ReadWhole(launch.error);
    return run;
}

}  // namespace benchsupport
