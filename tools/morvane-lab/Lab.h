#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "platform/emulated/db/ServerDb.h"
#include "platform/emulated/store/StoreModel.h"

// What every command of morvane-lab shares: the server it works on (the
// folder of $MORVANE_SERVER, else the embedded default folder), opened at
// the first use, and the one action the command line selected.
namespace lab {

// Bad input the tool itself refuses: an unknown mailbox, a malformed
// address, a server that exists already. Reported as one line, exit code 1.
class LabError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class Lab {
  public:
    // The folder of the server this run works on.
    std::string ServerFolder() const;

    // The existing server; a missing one throws ServerError.
    platform::emulated::ServerDb& Server();
    std::shared_ptr<platform::emulated::ServerDb> ServerHandle();
    platform::emulated::StoreModel& Store();

    // The command the command line chose; run after parsing, so that usage
    // errors and run errors stay apart.
    void Select(std::function<void()> action) { action_ = std::move(action); }
    bool HasAction() const { return static_cast<bool>(action_); }
    void RunAction() { action_(); }
    // The exit status of a run whose action did not fail: 0 unless the
    // action passes on another program's.
    void SetExitStatus(int status) { exitStatus_ = status; }
    int ExitStatus() const { return exitStatus_; }

  private:
    std::shared_ptr<platform::emulated::ServerDb> db_;
    std::unique_ptr<platform::emulated::StoreModel> store_;
    std::function<void()> action_;
    int exitStatus_ = 0;
};

}  // namespace lab
