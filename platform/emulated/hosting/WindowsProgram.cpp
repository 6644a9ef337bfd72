#include "platform/emulated/hosting/WindowsProgram.h"

#include "platform/emulated/bridge/BridgeServer.h"
#include "platform/emulated/hosting/WineProcess.h"
#include "platform/emulated/machine/ChildProcess.h"
#include "platform/emulated/machine/WindowsPaths.h"

namespace platform::emulated {

int RunWindowsProgram(const std::string& program, const std::vector<std::string>& arguments) {
    const std::string bin = wine::WindowsBinFolder();
    const std::string prefix = wine::PrefixFolder();
    wine::PreparePrefix(prefix, bin);
    BridgeServer server;
    const wine::ProgramRun run = wine::OnTheRunsDesktop(program, arguments, bin);
    const pid_t process =
        wine::StartWindowsProgram(run.program, run.arguments,
                                  wine::WineEnvironment(prefix, server.ClientEnvironment()), false);
    return WaitForChild(process, -1)->status;
}

}  // namespace platform::emulated
