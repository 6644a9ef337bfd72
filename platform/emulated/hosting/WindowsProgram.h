#pragma once

#include <string>
#include <vector>

// A Windows program of the Windows build run against the emulated server,
// as "morvane-lab wine" runs it.
namespace platform::emulated {

// Runs the Windows program (a Linux path to an .exe) with its arguments
// under Wine in the server's prefix, with the platform served for the run
// (BridgeServer.h); its standard streams are this process's. Returns its
// exit status.
int RunWindowsProgram(const std::string& program, const std::vector<std::string>& arguments);

}  // namespace platform::emulated
