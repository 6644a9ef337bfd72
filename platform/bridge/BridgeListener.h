#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/bridge/BridgeSocket.h"

// The listening side of the bridge: a listener on 127.0.0.1 with a port the
// system chooses, in the emulated server's processes and in a COM+
// application's host under Wine (each platform's socket file holds its
// own). The introduction's token and the socket pair are the server's
// side only.
namespace bridge {

class Listener {
  public:
    // Throws the bridge's "server unavailable" error when no port can be had.
    Listener();
    ~Listener();
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    uint16_t Port() const { return port_; }
    // The next connection; nullptr when none came within limitMs (negative:
    // no limit) or the listener was closed.
    std::unique_ptr<Socket> Accept(int limitMs);
    // Ends the listener; a waiting Accept returns nullptr.
    void Close();

  private:
    // The system's socket handle; -1 when closed.
    intptr_t handle_ = -1;
    uint16_t port_ = 0;
};

// A secret a process started for the bridge introduces itself with: 32
// hexadecimal digits from the system's random source. None to be had
// throws the bridge's "server unavailable" error.
std::string NewIntroductionToken();

// The environment that leads a process to the listener at port, to
// introduce itself with token (kAddressVariable, kTokenVariable).
std::map<std::string, std::string> ConnectionEnvironment(uint16_t port, const std::string& token);

// Two connected sockets of this process, for tests of the channel.
struct SocketPair {
    std::unique_ptr<Socket> first;
    std::unique_ptr<Socket> second;
};
SocketPair MakeSocketPair();

}  // namespace bridge
