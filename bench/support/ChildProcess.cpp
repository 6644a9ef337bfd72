#include "bench/support/ChildProcess.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "bench/support/BenchFolder.h"

namespace benchsupport {

namespace {

// The argument vector and environment, made before the fork.
struct Invocation {
    std::vector<std::string> strings;
    std::vector<char*> argv;
    std::vector<char*> envp;

    Invocation(const std::string& program, const std::vector<std::string>& arguments,
               const std::map<std::string, std::string>& environment) {
        strings.push_back(program);
        strings.insert(strings.end(), arguments.begin(), arguments.end());
        const size_t argumentCount = strings.size();
        for (char** entry = environ; *entry != nullptr; ++entry) {
            const std::string variable(*entry);
            if (!environment.contains(variable.substr(0, variable.find('='))))
                strings.push_back(variable);
        }
        for (const auto& [name, value] : environment)
            strings.push_back(name + "=" + value);
        for (size_t index = 0; index < strings.size(); ++index)
            (index < argumentCount ? argv : envp).push_back(strings[index].data());
        argv.push_back(nullptr);
        envp.push_back(nullptr);
    }
};

std::chrono::nanoseconds Cpu(const rusage& usage) {
    using std::chrono::microseconds;
    using std::chrono::seconds;
    return seconds(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           microseconds(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
}

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
    const std::string errorFile = outputs.path() + "/stderr";
    Invocation invocation(program, arguments, environment);
    ProcessRun run;
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        const int out = open("/dev/null", O_WRONLY);
        const int err = open(errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || err < 0 || dup2(out, STDOUT_FILENO) < 0 || dup2(err, STDERR_FILENO) < 0 ||
            chdir(folder.c_str()) != 0)
            _exit(126);
        execve(invocation.argv[0], invocation.argv.data(), invocation.envp.data());
        _exit(127);
    }
    if (child < 0)
        return run;
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child)
        return run;
    run.wall = std::chrono::steady_clock::now() - start;
    run.cpu = Cpu(usage);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.errorOutput = ReadWhole(errorFile);
    return run;
}

}  // namespace benchsupport
