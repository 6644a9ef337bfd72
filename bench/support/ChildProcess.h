#pragma once

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace benchsupport {

// What a program run as a process cost: its CPU time (user and system, all
// its threads) and the wall-clock time until it ended.
struct ProcessRun {
    int exitCode = -1;
    std::chrono::nanoseconds cpu{};
    std::chrono::nanoseconds wall{};
    std::string errorOutput;
};

// Runs program with the arguments in folder, with this process's
// environment changed by environment (a value replaces the variable);
// standard output is dropped, standard error kept. exitCode is -1 when the
// program could not be started or did not end normally.
ProcessRun RunProcess(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& folder,
                      const std::map<std::string, std::string>& environment);

}  // namespace benchsupport
