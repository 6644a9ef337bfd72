#include "tests/reliability/SinkServer.h"

#include <filesystem>

#include "common/basIniFile.h"
#include "platform/ComError.h"
#include "sink/LibraryFolder.h"
#include "sink/MorvaneCls.h"

namespace reliability {

namespace {

// MorvaneCls as the store sees it. Each call runs with the settings folder
// of the server, on the calling thread, and through the trace when one is
// given.
class SinkObject : public platform::ComObject,
                   public platform::StoreSyncEvents,
                   public platform::CreateRegistration {
  public:
    SinkObject(const std::string& settingsFolder, platform::store::Ado& ado,
               FailureReports& reports, StoreTrace* trace)
        : settingsFolder_(settingsFolder),
          sink_(ado, platform::SystemClock(), reports),
          trace_(trace) {}

    platform::Dispatch* AsDispatch() override { return nullptr; }
    platform::StoreSyncEvents* AsStoreSyncEvents() override { return this; }
    platform::CreateRegistration* AsCreateRegistration() override { return this; }

    void OnSyncSave(platform::store::EventInfo& info, const std::string& url,
                    int32_t flags) override {
        Call(&MorvaneCls::OnSyncSave, info, url, flags);
    }
    void OnSyncDelete(platform::store::EventInfo& info, const std::string& url,
                      int32_t flags) override {
        Call(&MorvaneCls::OnSyncDelete, info, url, flags);
    }
    int32_t Register(platform::store::EventInfo& info, const std::string& url,
                     int32_t flags) override {
        return sink_.Register(info, url, flags);
    }

  private:
    template <typename Method>
    void Call(Method method, platform::store::EventInfo& info, const std::string& url,
              int32_t flags) {
        SetSettingsFolderOverride(settingsFolder_);
        if (!trace_) {
            (sink_.*method)(info, url, flags);
            return;
        }
        trace_->SetPhase(PhaseOf(flags));
        TracedEventInfo traced(info, *trace_, url);
        (sink_.*method)(traced, url, flags);
        trace_->SetPhase("");
    }

    static std::string PhaseOf(int32_t flags) {
        if ((flags & 0x01000000) != 0)
            return "begin";
        return (flags & 0x02000000) != 0 ? "committed" : "aborted";
    }

    const std::string& settingsFolder_;
    MorvaneCls sink_;
    StoreTrace* trace_;
};

// Copies the original's server database (with its write-ahead log, which
// holds what is not checkpointed yet) and settings file into folder.
std::string CopyServer(const testsupport::TempFolder& original,
                       const testsupport::TempFolder& folder) {
    namespace fs = std::filesystem;
    const fs::path from = fs::path(original.path()) / "server";
    const fs::path to = fs::path(folder.path()) / "server";
    fs::create_directories(to);
    for (const auto& entry : fs::directory_iterator(from)) {
        if (entry.path().extension() != ".db-shm" && entry.is_regular_file())
            fs::copy_file(entry.path(), to / entry.path().filename());
    }
    const fs::path settings = fs::path(original.path()) / "Morvane.ini";
    if (fs::exists(settings))
        fs::copy_file(settings, fs::path(folder.path()) / "Morvane.ini");
    return to.string();
}

platform::emulated::MailboxStoreInfo StoreNamed(platform::emulated::StoreModel& model,
                                                const std::string& name) {
    for (const auto& store : model.Stores()) {
        if (store.name == name)
            return store;
    }
    throw platform::ComError(platform::hresult::E_FAIL, "no store named " + name);
}

}  // namespace

std::shared_ptr<platform::ComObject> SinkActivation::CreateObject(const std::string& progId) {
    if (progId != kProgId)
        throw platform::ComError(platform::hresult::CO_E_CLASSSTRING, "Invalid class string");
    ++created_;
    return std::make_shared<SinkObject>(settingsFolder_, ado_, reports_, trace_);
}

std::function<int32_t()> SinkActivation::BindExport(const std::string&, const std::string&) {
    throw platform::ComError(platform::hresult::E_FAIL, "no libraries on this server");
}

SinkServer::SinkServer()
    : ado(temp.File("server"), activation),
      activation(temp.path(), temp.File("server"), ado),
      db(platform::emulated::ServerDb::Open(temp.File("server"), true)),
      model(db, activation) {
    model.SetIdentity({"MAIL01", "example.com"});
    firstStore = model.AddStore("First Storage Group", "Mailbox Store (MAIL01)");
    secondStore = model.AddStore("First Storage Group", "Archive Store");
}

SinkServer::SinkServer(const SinkServer& original)
    : ado(CopyServer(original.temp, temp), activation),
      activation(temp.path(), temp.File("server"), ado),
      db(platform::emulated::ServerDb::Open(temp.File("server"))),
      model(db, activation),
      firstStore(StoreNamed(model, original.firstStore.name)),
      secondStore(StoreNamed(model, original.secondStore.name)) {}

platform::emulated::MailboxInfo SinkServer::AddMailbox(
    const std::string& address, const platform::emulated::MailboxStoreInfo& store,
    const std::string& inboxName, bool rootFields) {
    platform::emulated::NewMailbox mailbox;
    mailbox.address = address;
    mailbox.storageGroup = store.storageGroup;
    mailbox.storeName = store.name;
    mailbox.inboxName = inboxName;
    mailbox.rootFields = rootFields;
    return model.AddMailbox(mailbox);
}

std::string SinkServer::SystemMailboxUrl(const platform::emulated::MailboxStoreInfo& store) {
    return model.FindMailbox(store.systemMailbox)->url;
}

std::string SinkServer::RegisterInbox(const std::string& mailboxUrl,
                                      const std::string& eventMethod) {
    MorvaneCls sink(ado, clock);
    std::string parent = mailboxUrl, sub = "inbox", name = kRegName, method = eventMethod,
                sinkClass = kProgId, scope = "SHALLOW", criteria = kVisibleOnly, priority = "1";
    return sink.CreateRegItem(parent, sub, name, method, sinkClass, scope, criteria, priority);
}

std::string SinkServer::RegisterStoreWide(const platform::emulated::MailboxStoreInfo& store) {
    MorvaneCls sink(ado, clock);
    std::string parent = SystemMailboxUrl(store), sub = "StoreEvents/GlobalEvents", name = kRegName,
                method = "onsyncsave", sinkClass = kProgId, scope = "ANY", criteria = kVisibleOnly,
                priority = "1";
    return sink.CreateRegItem(parent, sub, name, method, sinkClass, scope, criteria, priority);
}

void SinkServer::WriteDisplayFormat(const std::string& value) {
    basIniFile::WriteIniString(kSettingsSection, kDisplayFormatKey, value, settingsFile());
}

std::string ErrorLine(const std::string& url, int32_t number, const std::string& description) {
    return "[2026-12-07 05:07:58] " + url + " - ERROR: " + std::to_string(number) + " " +
           description;
}

}  // namespace reliability
