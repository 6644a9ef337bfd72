#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

// Windows programs run under Wine in the emulated server's prefix: the
// loader, the environment every such process gets, and the preparation of
// the prefix for the bridge.
namespace platform::emulated::wine {

// The Windows build's bridge files: the library of the bridge's classes,
// the Windows host's program and the runner of programs on a hidden desktop.
inline constexpr const char* kBridgeLibrary = "MorvaneBridge.dll";
inline constexpr const char* kWindowsHostProgram = "MorvaneWindowsHost.exe";
inline constexpr const char* kHiddenDesktopProgram = "MorvaneHiddenDesktop.exe";

// The folder of the Windows build's bridge files: $MORVANE_WINDOWS_BIN.
// Missing or incomplete, it throws CO_E_SERVER_EXEC_FAILURE naming the
// variable and the build.
std::string WindowsBinFolder();

// The environment of a Wine process in the prefix: this process's own with
// the prefix, a quiet Wine and the given additions.
std::vector<std::string> WineEnvironment(const std::string& prefixFolder,
                                         const std::map<std::string, std::string>& additions = {});

// A program as a run starts it under Wine.
struct ProgramRun {
    std::string program;
    std::vector<std::string> arguments;
};
// How a run starts the program (a Linux path, or a program of the prefix
// by its name) with its arguments: as it stands where this process has a
// display; without one ($DISPLAY empty) through MorvaneHiddenDesktop.exe
// of the bin folder, which runs it on a hidden desktop of its own on Wine's
// null graphics driver, as the server runs a scheduled task. The choice is
// the run's own: the prefix keeps no setting of it.
ProgramRun OnTheRunsDesktop(const std::string& program, const std::vector<std::string>& arguments,
                            const std::string& binFolder);

// Starts the Windows program (a Linux path, or a program of the prefix by
// its name) with its arguments under Wine (ChildProcess.h waits for it and
// ends it). quiet: its standard streams go to /dev/null instead of this
// process's; ownSession: it runs in a session of its own. A loader that
// cannot be started throws CO_E_SERVER_EXEC_FAILURE.
pid_t StartWindowsProgram(const std::string& program, const std::vector<std::string>& arguments,
                          const std::vector<std::string>& environment, bool quiet,
                          bool ownSession = false);

// Waits until the prefix's Wine session (its server and services) has
// ended, at most half a minute.
void AwaitSessionEnd(const std::string& prefixFolder);

// Makes the prefix ready for the bridge once per process (and across
// processes under a lock): creates it when missing, registers the bridge's
// classes under the platform's ProgIDs and checks that they hold. Failures
// throw CO_E_SERVER_EXEC_FAILURE.
void PreparePrefix(const std::string& prefixFolder, const std::string& binFolder);

}  // namespace platform::emulated::wine
