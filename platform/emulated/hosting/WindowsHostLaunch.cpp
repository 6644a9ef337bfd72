#include "platform/emulated/hosting/WindowsHostLaunch.h"

#include <chrono>
#include <filesystem>

#include "platform/ComError.h"
#include "platform/bridge/BridgeListener.h"
#include "platform/emulated/bridge/ServedClasses.h"
#include "platform/emulated/hosting/WindowsHost.h"
#include "platform/emulated/hosting/WineProcess.h"
#include "platform/emulated/machine/ChildProcess.h"
#include "platform/emulated/machine/WindowsPaths.h"

namespace platform::emulated {

namespace {

constexpr int32_t kServerExecFailure = hresult::FromUnsigned(0x80080005);
// A host's first start may make the prefix (seconds, minutes on a loaded
// machine).
constexpr int kStartLimitMs = 300000;
// How long a host that connected may take to introduce itself.
constexpr int kIntroductionLimitMs = 5000;

int StartLimitMs() {
    return MillisecondsSetting("MORVANE_HOST_START_LIMIT_MS", kStartLimitMs);
}

[[noreturn]] void ThrowStartFailure(const std::string& detail) {
    throw ComError(kServerExecFailure, "Server execution failed (the Windows host " + detail + ")");
}

// Waits for the started host to connect; it may end or take too long.
std::unique_ptr<bridge::Socket> AwaitHost(bridge::Listener& listener, pid_t process) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(StartLimitMs());
    for (;;) {
        if (auto socket = listener.Accept(100))
            return socket;
        if (const std::optional<ChildExit> exit = WaitForChild(process, 0))
            ThrowStartFailure("ended before it connected (status " + std::to_string(exit->status) +
                              ")");
        if (std::chrono::steady_clock::now() >= end) {
            KillChild(process);
            ThrowStartFailure("did not connect in time");
        }
    }
}

}  // namespace

LaunchedHost LaunchWindowsHost(const HostStart& start) {
    const std::string prefix = wine::PrefixFolder();
    const std::string bin = wine::WindowsBinFolder();
    if (!std::filesystem::exists(std::filesystem::path(prefix) / "system.reg"))
        wine::PreparePrefix(prefix, bin);
    bridge::Listener listener;
    LaunchedHost host;
    host.token = bridge::NewIntroductionToken();
    std::map<std::string, std::string> environment =
        bridge::ConnectionEnvironment(listener.Port(), host.token);
    environment.insert(start.environment.begin(), start.environment.end());
    host.process = wine::StartWindowsProgram(bin + "/" + wine::kWindowsHostProgram, {},
                                             wine::WineEnvironment(prefix, environment), true,
                                             start.ownSession);
    try {
        host.channel = bridge::Channel::Accept(AwaitHost(listener, host.process), host.token,
                                               kIntroductionLimitMs, served::PlatformRoot());
        if (!host.channel->PeerRoot())
            ThrowStartFailure("handed over no host");
    } catch (const ComError& error) {
        if (!WaitForChild(host.process, 0))
            KillChild(host.process);
        if (error.number() == kServerExecFailure)
            throw;
        ThrowStartFailure("failed its introduction: " + error.description());
    }
    return host;
}

}  // namespace platform::emulated
