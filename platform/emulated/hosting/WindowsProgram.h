#pragma once

#include <string>
#include <vector>

// A Windows program of the Windows build run against the emulated server,
// as "morvane-lab wine" runs it.
namespace platform::emulated {

// Runs the Windows program (a Linux path to an .exe, or a program of the
// prefix by its name, as Windows finds it) with its arguments under Wine in
// the server's prefix, with the platform served for the run
// (BridgeServer.h); its current folder and standard streams are this
// process's, and without a display it runs on a hidden desktop. Returns its
// exit status.
int RunWindowsProgram(const std::string& program, const std::vector<std::string>& arguments);

}  // namespace platform::emulated
