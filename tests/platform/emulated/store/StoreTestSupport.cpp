#include "tests/platform/emulated/store/StoreTestSupport.h"

#include "platform/ComError.h"
#include "platform/emulated/store/StoreValues.h"

namespace storetest {

using platform::ComError;
using platform::Variant;
namespace store = platform::store;
namespace property = platform::emulated::property;

void RecordingSink::OnSyncSave(store::EventInfo& info, const std::string& url, int32_t flags) {
    log_.push_back(SinkCall{name_, "OnSyncSave", url, flags});
    if ((flags & 0x01000000) != 0 && onBegin)
        onBegin(info);
}

void RecordingSink::OnSyncDelete(store::EventInfo& info, const std::string& url, int32_t flags) {
    log_.push_back(SinkCall{name_, "OnSyncDelete", url, flags});
    if ((flags & 0x01000000) != 0 && onDeleteBegin)
        onDeleteBegin(info);
}

int32_t RecordingSink::Register(store::EventInfo&, const std::string& url, int32_t flags) {
    log_.push_back(SinkCall{name_, "Register", url, flags});
    return registerResult;
}

std::shared_ptr<platform::ComObject> FakeActivation::CreateObject(const std::string& progId) {
    auto it = sinks_.find(progId);
    if (it == sinks_.end())
        throw ComError(platform::hresult::CO_E_CLASSSTRING, "Invalid class string");
    ++created;
    return it->second;
}

std::function<int32_t()> FakeActivation::BindExport(const std::string&, const std::string&) {
    throw ComError(platform::hresult::E_FAIL, "no libraries in this test");
}

std::shared_ptr<RecordingSink> FakeActivation::AddSink(const std::string& progId) {
    auto sink = std::make_shared<RecordingSink>(progId, log);
    sinks_[progId] = sink;
    return sink;
}

StoreFixture::StoreFixture()
    : db(platform::emulated::ServerDb::Open(temp.File("server"), true)),
      model(db, activation),
      ado(temp.File("server"), activation) {
    model.SetIdentity({"MAIL01", "example.com"});
    firstStore = model.AddStore("First Storage Group", "Mailbox Store (MAIL01)");
}

platform::emulated::MailboxInfo StoreFixture::AddUser(const std::string& address,
                                                      const std::string& inboxName,
                                                      bool rootFields) {
    platform::emulated::NewMailbox mailbox;
    mailbox.address = address;
    mailbox.storageGroup = firstStore.storageGroup;
    mailbox.storeName = firstStore.name;
    mailbox.inboxName = inboxName;
    mailbox.rootFields = rootFields;
    return model.AddMailbox(mailbox);
}

void StoreFixture::CreateRegistration(const std::string& folderUrl, const std::string& name,
                                      const std::string& eventMethod, const std::string& sinkClass,
                                      const std::string& matchScope, const std::string& criteria,
                                      const std::string& priority) {
    auto connection = ado.CreateConnection();
    connection->SetProvider("ExOLEDB.DataSource");
    connection->Open(folderUrl, "", "", store::adConnectUnspecified);
    connection->BeginTrans();
    auto record = ado.CreateRecord();
    record->Open(folderUrl + "/" + name, *connection, store::adModeReadWrite,
                 store::adCreateOverwrite, store::adDelayFetchFields, "", "");
    auto fields = record->GetFields();
    fields->Item("DAV:contentclass")->SetValue(Variant("urn:content-class:storeeventreg"));
    fields->Item(std::string(property::kEventMethod))->SetValue(Variant(eventMethod));
    fields->Item(std::string(property::kSinkClass))->SetValue(Variant(sinkClass));
    fields->Item(std::string(property::kMatchScope))->SetValue(Variant(matchScope));
    fields->Item("http://schemas.microsoft.com/exchange/events/criteria")
        ->SetValue(Variant(criteria));
    fields->Item("http://schemas.microsoft.com/exchange/events/priority")
        ->SetValue(Variant(priority));
    fields->Item("DAV:ishidden")->SetValue(Variant(true));
    fields->Update();
    record->Close();
    connection->CommitTrans();
    connection->Close();
}

std::string TextOf(const Variant& value) {
    return value.IsString() ? value.AsString() : platform::Describe(value);
}

}  // namespace storetest
