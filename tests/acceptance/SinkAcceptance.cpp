#include "tests/acceptance/SinkAcceptance.h"

#include <filesystem>

namespace acceptance {

namespace {

constexpr const char* kStorageGroup = "First Storage Group";
constexpr const char* kStore = "Mailbox Store (MAIL01)";
constexpr const char* kGlobalEvents = "StoreEvents/GlobalEvents";

platform::emulated::NewMailbox Mailbox(const std::string& address, const std::string& inboxName,
                                       bool rootFields = true) {
    return {address, kStorageGroup, kStore, "", "", inboxName, rootFields};
}

}  // namespace

void SinkAcceptance::SetUp() {
    if (const std::string why = GetParam().Unavailable(); !why.empty())
        GTEST_SKIP() << why;
    library = installation.File(GetParam().fileName);
    std::filesystem::copy_file(GetParam().Source(), library);
    Install();
    if (HasFatalFailure())
        return;
    store.SetIdentity({"MAIL01", "example.com"});
    const auto mailboxStore = store.AddStore(kStorageGroup, kStore);
    mailboxUrls_[Place::StoreWide] = store.FindMailbox(mailboxStore.systemMailbox)->url;
    mailboxUrls_[Place::Inbox] = store.AddMailbox(Mailbox("jane@example.com", "Inbox")).url;
    mailboxUrls_[Place::LocalisedInbox] =
        store.AddMailbox(Mailbox("udo@example.com", "Posteingang")).url;
    mailboxUrls_[Place::RootWithoutFields] =
        store.AddMailbox(Mailbox("cy@example.com", "Inbox", false)).url;
    mailboxUrls_[Place::Missing] = mailboxUrls_[Place::Inbox] + "-gone";
    sink = activation.CreateObject("Morvane.MorvaneCls");
}

void SinkAcceptance::Install() {
    ASSERT_EQ(activation.BindExport(library, "DllRegisterServer")(), 0);
}

std::string SinkAcceptance::MailboxUrl(Place place) const {
    return mailboxUrls_.at(place);
}

std::string SinkAcceptance::ItemFolderUrl(Place place) const {
    switch (place) {
        case Place::Inbox:
            return MailboxUrl(place) + "/Inbox";
        case Place::LocalisedInbox:
            return MailboxUrl(place) + "/Posteingang";
        case Place::StoreWide:
            return MailboxUrl(place) + "/" + kGlobalEvents;
        default:
            return MailboxUrl(place);
    }
}

namespace {

std::string DefaultSubFolder(Place place, const std::string& subFolder) {
    if (!subFolder.empty())
        return subFolder;
    return place == Place::StoreWide ? kGlobalEvents : "inbox";
}

}  // namespace

std::string SinkAcceptance::Create(Place place, const std::string& subFolder) {
    return CallSink("CreateRegItem", {{MailboxUrl(place), true},
                                      {DefaultSubFolder(place, subFolder), true},
                                      {kRegName, false},
                                      {"onsyncsave", false},
                                      {"Morvane.MorvaneCls", false},
                                      {place == Place::StoreWide ? "ANY" : "SHALLOW", true},
                                      {" WHERE \"DAV:ishidden\" = FALSE", false},
                                      {"1", false}});
}

std::string SinkAcceptance::Remove(Place place, const std::string& subFolder) {
    return CallSink(
        "RemoveRegItem",
        {{MailboxUrl(place), true}, {DefaultSubFolder(place, subFolder), true}, {kRegName, false}});
}

std::string SinkAcceptance::Check(Place place, const std::string& subFolder) {
    return CallSink(
        "CheckRegItemExists",
        {{MailboxUrl(place), true}, {DefaultSubFolder(place, subFolder), true}, {kRegName, false}});
}

std::string SinkAcceptance::CallSink(const std::string& member,
                                     std::vector<platform::DispArg> args) {
    return sink->AsDispatch()->Invoke(member, args).AsString();
}

platform::emulated::StoredItem SinkAcceptance::Deliver(
    const platform::emulated::DeliveredMessage& message) {
    return store.ReadItem(store.DeliverToInbox("jane@example.com", message));
}

void SinkAcceptance::WriteDisplayFormat(const std::string& format) const {
    testsupport::WriteFile(installation.File("Morvane.ini"),
                           "[Morvane Settings]\r\nSCLDisplayFormat=" + format + "\r\n");
}

void SinkAcceptance::Plant(const std::string& operation, const std::string& urlPattern,
                           int32_t number) {
    platform::emulated::PlantedFault fault;
    fault.operation = operation;
    fault.urlPattern = urlPattern;
    fault.number = number;
    fault.description = kPlanted;
    fault.remaining = 1;
    store.faults().Plant(fault);
}

bool SinkAcceptance::FaultsUsedUp() {
    for (const auto& fault : store.faults().List()) {
        if (fault.remaining != 0)
            return false;
    }
    return true;
}

}  // namespace acceptance
