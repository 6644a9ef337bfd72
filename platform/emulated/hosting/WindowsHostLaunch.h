#pragma once

#include <sys/types.h>

#include <map>
#include <memory>
#include <string>

#include "platform/bridge/BridgeChannel.h"

// The start of a Windows host process: the host program runs under Wine in
// the server's prefix, connects back to a listener of this process and is
// served the emulated platform on that connection, whose peer root is the
// host's own. Apart from what the host then does, so that how a host is
// found can change without the calls made to it.
namespace platform::emulated {

struct LaunchedHost {
    pid_t process = 0;
    std::unique_ptr<bridge::Channel> channel;
    // The token the host was introduced with.
    std::string token;
};

// What a host is started with besides what every host gets.
struct HostStart {
    // Added to the host's environment.
    std::map<std::string, std::string> environment;
    // A session of its own: the host outlives the process that starts it
    // and is no part of that process's group.
    bool ownSession = false;
};

// Starts a host and waits for its introduction. A host that cannot start,
// ends before it connects, takes too long or fails its introduction throws
// CO_E_SERVER_EXEC_FAILURE; its process is gone then.
LaunchedHost LaunchWindowsHost(const HostStart& start = {});

}  // namespace platform::emulated
