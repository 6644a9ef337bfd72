#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Activation.h"
#include "platform/emulated/db/ServerDb.h"
#include "platform/emulated/store/StoreAdo.h"
#include "platform/emulated/store/StoreModel.h"
#include "tests/support/TempFolder.h"

namespace storetest {

// One call a test sink received.
struct SinkCall {
    std::string sink;
    std::string method;  // "OnSyncSave", "OnSyncDelete" or "Register"
    std::string url;
    int32_t flags = 0;
};

// An in-process event sink that writes every call into a shared log and
// runs what the test gives it in the begin phase of a save or a delete.
class RecordingSink : public platform::ComObject,
                      public platform::StoreSyncEvents,
                      public platform::CreateRegistration {
  public:
    using Action = std::function<void(platform::store::EventInfo&)>;

    RecordingSink(std::string name, std::vector<SinkCall>& log)
        : name_(std::move(name)), log_(log) {}

    platform::Dispatch* AsDispatch() override { return nullptr; }
    platform::StoreSyncEvents* AsStoreSyncEvents() override { return this; }
    platform::CreateRegistration* AsCreateRegistration() override { return this; }

    void OnSyncSave(platform::store::EventInfo& info, const std::string& url,
                    int32_t flags) override;
    void OnSyncDelete(platform::store::EventInfo&, const std::string& url, int32_t flags) override;
    int32_t Register(platform::store::EventInfo& info, const std::string& url,
                     int32_t flags) override;

    Action onBegin;
    Action onDeleteBegin;
    int32_t registerResult = 0;

  private:
    std::string name_;
    std::vector<SinkCall>& log_;
};

// Activation that knows only the sinks a test adds.
class FakeActivation : public platform::Activation {
  public:
    std::shared_ptr<platform::ComObject> CreateObject(const std::string& progId) override;
    std::function<int32_t()> BindExport(const std::string& libraryFile,
                                        const std::string& exportName) override;

    // Adds a recording sink under progId, logging into log.
    std::shared_ptr<RecordingSink> AddSink(const std::string& progId);
    std::vector<SinkCall> log;
    int created = 0;

  private:
    std::map<std::string, std::shared_ptr<RecordingSink>> sinks_;
};

// A fresh server: MAIL01 in example.com with one store "First Storage
// Group" / "Mailbox Store (MAIL01)".
class StoreFixture {
  public:
    StoreFixture();

    std::string serverFolder() const { return temp.File("server"); }
    // A user mailbox in the first store.
    platform::emulated::MailboxInfo AddUser(const std::string& address,
                                            const std::string& inboxName = "Inbox",
                                            bool rootFields = true);

    // Writes a registration item the way the sink library does, through
    // ADO with create-overwrite inside a transaction.
    void CreateRegistration(const std::string& folderUrl, const std::string& name,
                            const std::string& eventMethod, const std::string& sinkClass,
                            const std::string& matchScope, const std::string& criteria,
                            const std::string& priority);

    testsupport::TempFolder temp;
    std::shared_ptr<platform::emulated::ServerDb> db;
    FakeActivation activation;
    platform::emulated::StoreModel model;
    platform::emulated::EmulatedStoreAdo ado;
    platform::emulated::MailboxStoreInfo firstStore;
};

// The registration criteria the setup program writes.
inline const std::string kVisibleOnly = " WHERE \"DAV:ishidden\" = FALSE";

// Message properties read back.
std::string TextOf(const platform::Variant& value);

}  // namespace storetest
