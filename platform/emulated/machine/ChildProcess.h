#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

// Programs this process starts: with an environment and streams of their
// own, waited for with a limit, ended and reaped. The one way the emulated
// server, its tools, benchmarks and tests start a program.
namespace platform::emulated {

// This process's environment with the changes (a value replaces its
// variable or adds it), as NAME=value texts.
std::vector<std::string> EnvironmentWith(const std::map<std::string, std::string>& changes = {});

struct ChildLaunch {
    // The program, found on PATH when its name has no folder, and its
    // arguments.
    std::vector<std::string> words;
    std::vector<std::string> environment = EnvironmentWith();
    // The working folder; empty keeps this process's.
    std::string folder;
    // Files for standard input, output and error (output files are made
    // anew); empty keeps this process's.
    std::string input;
    std::string output;
    std::string error;
    // Standard error goes where standard output goes.
    bool errorToOutput = false;
    // A session (and process group) of its own, so that the whole of it
    // can be ended at once and it outlives this process's terminal.
    bool newSession = false;
};

struct ChildExit {
    // The exit status, or 128 + the signal that ended it.
    int status = 0;
    // Whether it ended by exiting rather than by a signal.
    bool exited = false;
    // Its CPU time, user and system, all its threads.
    std::chrono::nanoseconds cpu{};
};

// Starts the program; a program that cannot be started throws
// std::system_error.
pid_t StartChild(const ChildLaunch& launch);
// Waits for the child up to limitMs (negative: no limit); none while it
// still runs.
std::optional<ChildExit> WaitForChild(pid_t child, int limitMs);
// Ends the child now and reaps it.
void KillChild(pid_t child);

}  // namespace platform::emulated
