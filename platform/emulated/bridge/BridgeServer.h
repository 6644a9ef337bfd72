#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

// The emulated platform served to Windows programs under Wine: a listener
// on 127.0.0.1 whose every connection (one per thread of a Wine process) is
// handed the platform's root object and served on a thread of its own,
// with the connection's objects ended when the connection ends.
namespace platform::emulated {

class BridgeServer {
  public:
    BridgeServer();
    // Stops listening, ends the connections still open and waits for them.
    ~BridgeServer();
    BridgeServer(const BridgeServer&) = delete;
    BridgeServer& operator=(const BridgeServer&) = delete;

    // The environment that leads a Wine process here.
    std::map<std::string, std::string> ClientEnvironment() const;

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace platform::emulated
