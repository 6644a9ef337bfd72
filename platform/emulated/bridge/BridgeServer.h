#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

// The emulated platform served to Windows programs under Wine: a listener
// on 127.0.0.1 whose every connection (one per thread of a Wine process) is
// served on a thread of its own, with the connection's objects and its
// Windows host ended when the connection ends.
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

// Runs the Windows program (a Linux path to an .exe, or a program of the
// prefix by its name, as Windows finds it) with its arguments under Wine in
// the server's prefix, with the platform served for the run; its current
// folder and standard streams are this process's, and without a display it
// runs on a hidden desktop. Returns its exit status.
int RunWindowsProgram(const std::string& program, const std::vector<std::string>& arguments);

}  // namespace platform::emulated
