#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "platform/Activation.h"
#include "platform/Clock.h"
#include "platform/emulated/db/ServerDb.h"
#include "platform/emulated/machine/MachineEventLog.h"
#include "platform/emulated/store/StoreAdo.h"
#include "platform/emulated/store/StoreModel.h"
#include "sink/FailureReports.h"
#include "tests/reliability/TracingStore.h"
#include "tests/support/TempFolder.h"

namespace reliability {

inline const std::string kProgId = "Morvane.MorvaneCls";
inline const std::string kRegName = "Morvane.reg";
inline const std::string kVisibleOnly = " WHERE \"DAV:ishidden\" = FALSE";
inline const std::string kSettingsSection = "Morvane Settings";
inline const std::string kDisplayFormatKey = "SCLDisplayFormat";

// The activation the store creates the sink through: a new MorvaneCls for
// every creation, as the apartment-threaded class is created on each store
// thread, reading its settings file from one folder and reporting its
// failures to the server's event log, as a library loaded once in the
// process does. Safe to use from several threads at once.
class SinkActivation : public platform::Activation {
  public:
    SinkActivation(std::string settingsFolder, const std::string& serverFolder,
                   platform::store::Ado& ado)
        : settingsFolder_(std::move(settingsFolder)),
          ado_(ado),
          eventLog_([serverFolder] { return serverFolder; }),
          reports_(eventLog_, platform::SystemMonotonicClock()) {}

    std::shared_ptr<platform::ComObject> CreateObject(const std::string& progId) override;
    std::function<int32_t()> BindExport(const std::string& libraryFile,
                                        const std::string& exportName) override;

    // Passes the event record of every save through trace (none: untraced).
    // Only for runs on one thread.
    void TraceEventsInto(StoreTrace* trace) { trace_ = trace; }
    int created() const { return created_.load(); }

  private:
    std::string settingsFolder_;
    platform::store::Ado& ado_;
    platform::emulated::EmulatedEventLog eventLog_;
    FailureReports reports_;
    StoreTrace* trace_ = nullptr;
    std::atomic<int> created_{0};
};

// A fresh emulated server in a temporary folder: MAIL01 in example.com with
// two mailbox stores, the sink known to its store, the settings file's
// folder beside it and a fixed clock for the sink's error lines.
class SinkServer {
  public:
    SinkServer();
    // A copy of another server and its settings file, in a folder of its
    // own: what the original held, down to its generated GUIDs. Much
    // cheaper than building a server anew.
    explicit SinkServer(const SinkServer& original);
    SinkServer& operator=(const SinkServer&) = delete;

    std::string serverFolder() const { return temp.File("server"); }
    std::string settingsFile() const { return temp.File("Morvane.ini"); }

    platform::emulated::MailboxInfo AddMailbox(const std::string& address,
                                               const platform::emulated::MailboxStoreInfo& store,
                                               const std::string& inboxName = "Inbox",
                                               bool rootFields = true);
    std::string SystemMailboxUrl(const platform::emulated::MailboxStoreInfo& store);

    // Registers the sink through its own CreateRegItem, as the setup program
    // does: in a mailbox's Inbox, or store-wide in the system mailbox's
    // GlobalEvents folder. Returns the status string.
    std::string RegisterInbox(const std::string& mailboxUrl,
                              const std::string& eventMethod = "onsyncsave");
    std::string RegisterStoreWide(const platform::emulated::MailboxStoreInfo& store);

    // Writes the display format the way the setup program does.
    void WriteDisplayFormat(const std::string& value);

    testsupport::TempFolder temp;
    platform::FixedClock clock{platform::LocalTime{2026, 12, 7, 5, 7, 58}};
    // The store's ADO creates sinks through activation, which hands the
    // same ADO to the sinks it creates.
    platform::emulated::EmulatedStoreAdo ado;
    SinkActivation activation;
    std::shared_ptr<platform::emulated::ServerDb> db;
    platform::emulated::StoreModel model;
    platform::emulated::MailboxStoreInfo firstStore;
    platform::emulated::MailboxStoreInfo secondStore;
};

// The error line of a registration method at the server's fixed clock.
std::string ErrorLine(const std::string& url, int32_t number, const std::string& description);

}  // namespace reliability
