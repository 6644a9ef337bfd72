#pragma once

#include <memory>
#include <optional>
#include <string>

#include "bench/support/BenchFolder.h"
#include "platform/emulated/activation/Activation.h"
#include "platform/emulated/db/ServerDb.h"
#include "platform/emulated/store/StoreModel.h"

namespace benchsupport {

// A fresh emulated server in a temporary folder, made the process's server
// (MORVANE_SERVER) while the object lives, with its store and the
// activation layer the store creates sinks through, which reads this
// server's registry whatever server the process names later (twin servers
// live side by side). The sink library is copied into the folder and
// registered from there, so that its settings file sits beside it and
// nothing is written next to the build's own copy.
class BenchServer {
  public:
    // How the library's classes are registered: on their own, as
    // DllRegisterServer registers them, or installed into the COM+ server
    // application "Morvane", as the setup program installs them (the
    // Windows build's classes then run in the application's process).
    enum class Registration { OnTheirOwn, InComPlusApplication };

    explicit BenchServer(const std::string& libraryFile,
                         Registration registration = Registration::OnTheirOwn);
    ~BenchServer();
    BenchServer(const BenchServer&) = delete;
    BenchServer& operator=(const BenchServer&) = delete;

    // Writes the settings file beside the registered library.
    void WriteSettings(const std::string& content) const;
    // Gives the server MAIL01 of example.com with one mailbox store, into
    // which mailboxes of that name go.
    void AddMailboxStore();
    // Adds a mailbox to that store; returns its URL.
    std::string AddMailbox(const std::string& address);
    // Registers the sink on the mailbox's Inbox (SHALLOW, save event) as
    // the setup program does, through the library's own CreateRegItem.
    void RegisterInbox(const std::string& mailboxUrl);

    platform::emulated::EmulatedActivation& activation() { return activation_; }
    const std::string& serverFolder() const { return serverFolder_; }
    platform::emulated::StoreModel& store() { return *store_; }

  private:
    BenchFolder folder_;
    std::string serverFolder_;
    std::optional<std::string> previousServer_;
    std::shared_ptr<platform::emulated::ServerDb> db_;
    platform::emulated::EmulatedActivation activation_;
    std::unique_ptr<platform::emulated::StoreModel> store_;
};

}  // namespace benchsupport
