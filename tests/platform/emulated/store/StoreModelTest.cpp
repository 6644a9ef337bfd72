#include "platform/emulated/store/StoreModel.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/ComError.h"
#include "platform/emulated/store/StoreValues.h"
#include "tests/platform/emulated/store/StoreTestSupport.h"

namespace {

using platform::Variant;
using platform::emulated::DeliveredMessage;
using platform::emulated::NewMailbox;
using platform::emulated::ServerError;
using storetest::StoreFixture;
namespace property = platform::emulated::property;

// {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX} with upper-case hexadecimal digits.
bool IsRegistryGuid(const std::string& text) {
    const std::string shape = "{HHHHHHHH-HHHH-HHHH-HHHH-HHHHHHHHHHHH}";
    if (text.size() != shape.size())
        return false;
    for (size_t i = 0; i < shape.size(); ++i) {
        bool hex = (text[i] >= '0' && text[i] <= '9') || (text[i] >= 'A' && text[i] <= 'F');
        if (shape[i] == 'H' ? !hex : text[i] != shape[i])
            return false;
    }
    return true;
}

TEST(StoreModelIdentity, UrlsFollowTheServerIdentity) {
    StoreFixture fixture;
    auto alice = fixture.AddUser("alice@example.com");
    EXPECT_EQ(alice.url, "http://mail01/exadmin/example.com/mbx/alice@example.com");
    fixture.model.SetIdentity({"EXCH2", "corp.example.org"});
    EXPECT_EQ(fixture.model.Identity()->name, "EXCH2");
    EXPECT_EQ(fixture.model.FindMailbox("alice@example.com")->url,
              "http://exch2/exadmin/corp.example.org/mbx/alice@example.com");
    EXPECT_THROW(fixture.model.SetIdentity({"", "x"}), ServerError);
}

TEST(StoreModelIdentity, StoresMoveWithTheServerButAVirtualServerKeepsItsOwn) {
    StoreFixture fixture;
    auto clustered = fixture.model.AddStore("SG2", "Cluster Store", "EXVS1");
    EXPECT_EQ(clustered.server, "EXVS1");
    fixture.model.SetIdentity({"MAIL02", "example.com"});
    std::vector<std::string> servers;
    for (const auto& store : fixture.model.Stores())
        servers.push_back(store.name + "@" + store.server);
    EXPECT_EQ(servers,
              (std::vector<std::string>{"Mailbox Store (MAIL01)@MAIL02", "Cluster Store@EXVS1"}));
}

TEST(StoreModelStores, EachStoreHasASystemMailboxWithGlobalEvents) {
    StoreFixture fixture;
    auto stores = fixture.model.Stores();
    ASSERT_EQ(stores.size(), 1u);
    EXPECT_EQ(stores[0].storageGroup, "First Storage Group");
    EXPECT_EQ(stores[0].name, "Mailbox Store (MAIL01)");
    EXPECT_EQ(stores[0].server, "MAIL01");
    auto system = fixture.model.FindMailbox(stores[0].systemMailbox);
    ASSERT_TRUE(system.has_value());
    EXPECT_TRUE(system->system);
    EXPECT_EQ(system->alias.substr(0, 14), "SystemMailbox{");
    EXPECT_TRUE(IsRegistryGuid(system->alias.substr(13))) << system->alias;
    EXPECT_EQ(system->address, system->alias + "@example.com");
    bool hasGlobalEvents = false;
    for (const auto& folder : fixture.model.Folders(system->address))
        hasGlobalEvents = hasGlobalEvents || folder.path == "StoreEvents/GlobalEvents";
    EXPECT_TRUE(hasGlobalEvents);
    EXPECT_THROW(fixture.model.AddStore("First Storage Group", "Mailbox Store (MAIL01)"),
                 ServerError);
}

TEST(StoreModelMailboxes, MailboxCarriesWhatTheDirectoryNeeds) {
    StoreFixture fixture;
    NewMailbox mailbox;
    mailbox.address = "hans.meier@example.com";
    mailbox.storageGroup = "first storage group";  // store names ignore case
    mailbox.storeName = "Mailbox Store (MAIL01)";
    mailbox.cn = "Hans Meier";
    mailbox.alias = "hmeier";
    mailbox.inboxName = "Posteingang";
    auto hans = fixture.model.AddMailbox(mailbox);
    EXPECT_EQ(hans.cn, "Hans Meier");
    EXPECT_EQ(hans.alias, "hmeier");
    EXPECT_EQ(hans.storageGroup, "First Storage Group");
    EXPECT_EQ(hans.storeName, "Mailbox Store (MAIL01)");
    EXPECT_EQ(hans.server, "MAIL01");
    EXPECT_FALSE(hans.system);
    EXPECT_TRUE(IsRegistryGuid(hans.guid)) << hans.guid;
    EXPECT_EQ(hans.inboxUrl, hans.url + "/Posteingang");

    auto bob = fixture.AddUser("bob@example.com");
    EXPECT_EQ(bob.cn, "bob");
    EXPECT_EQ(bob.alias, "bob");
    EXPECT_NE(bob.guid, hans.guid);
    EXPECT_THROW(fixture.AddUser("BOB@example.com"), ServerError);
    mailbox.address = "x@example.com";
    mailbox.storeName = "No Such Store";
    EXPECT_THROW(fixture.model.AddMailbox(mailbox), ServerError);
    // The two users and the system mailbox.
    EXPECT_EQ(fixture.model.Mailboxes().size(), 3u);
}

TEST(StoreModelFolders, FoldersAreAddedWithTheirParents) {
    StoreFixture fixture;
    auto alice = fixture.AddUser("alice@example.com");
    auto folder = fixture.model.AddFolder(alice.address, "Projects/2026/Q1");
    EXPECT_EQ(folder.url, alice.url + "/Projects/2026/Q1");
    std::vector<std::string> paths;
    for (const auto& f : fixture.model.Folders(alice.address))
        paths.push_back(f.path);
    EXPECT_EQ(paths, (std::vector<std::string>{"", "Inbox", "Projects", "Projects/2026",
                                               "Projects/2026/Q1"}));
    EXPECT_THROW(fixture.model.Folders("nobody@example.com"), ServerError);
}

TEST(StoreModelDelivery, MessagesOfTheSameSubjectAreAllKept) {
    StoreFixture fixture;
    auto alice = fixture.AddUser("alice@example.com");
    DeliveredMessage message;
    message.subject = "Re: a/b";
    message.scl = 7;
    message.keywords = Variant("single");
    message.comments = "note";
    std::string first = fixture.model.DeliverToInbox(alice.address, message);
    std::string second = fixture.model.DeliverToInbox(alice.address, message);
    EXPECT_EQ(first, alice.inboxUrl + "/Re: a_b.EML");
    EXPECT_EQ(second, alice.inboxUrl + "/Re: a_b-1.EML");
    auto item = fixture.model.ReadItem(second);
    EXPECT_EQ(item.properties.Get(property::kContentClass), Variant("urn:content-class:message"));
    EXPECT_EQ(item.properties.Get(property::kScl), Variant(int32_t{7}));
    EXPECT_EQ(item.properties.Get(property::kKeywords), Variant("single"));
    EXPECT_EQ(item.properties.Get(property::kComments), Variant("note"));
    EXPECT_EQ(fixture.model.Items(alice.inboxUrl).size(), 2u);
}

TEST(StoreModelDelivery, NumberedNamesContinueAfterTheHighestCount) {
    StoreFixture fixture;
    auto alice = fixture.AddUser("alice@example.com");
    DeliveredMessage message;
    message.subject = "100% _done_!";
    std::vector<std::string> names;
    for (int i = 0; i < 4; ++i)
        names.push_back(fixture.model.DeliverToInbox(alice.address, message));
    // A look-alike that the LIKE wildcards would match must not count.
    message.subject = "100X XdoneX!-7";
    fixture.model.DeliverToInbox(alice.address, message);
    message.subject = "100% _done_!";
    names.push_back(fixture.model.DeliverToInbox(alice.address, message));
    const std::string base = alice.inboxUrl + "/100% _done_!";
    EXPECT_EQ(names, (std::vector<std::string>{base + ".EML", base + "-1.EML", base + "-2.EML",
                                               base + "-3.EML", base + "-4.EML"}));
}

TEST(StoreModelDelivery, UnratedMessageHasNoScl) {
    StoreFixture fixture;
    auto alice = fixture.AddUser("alice@example.com");
    DeliveredMessage message;
    message.keywords = Variant::StringArray({"a", "b"});
    std::string url = fixture.model.Deliver(alice.inboxUrl, message);
    EXPECT_EQ(url, alice.inboxUrl + "/No Subject.EML");
    auto item = fixture.model.ReadItem(url);
    EXPECT_FALSE(item.properties.Has(property::kScl));
    EXPECT_EQ(item.properties.Get(property::kKeywords), Variant::StringArray({"a", "b"}));
    EXPECT_THROW(fixture.model.Deliver(alice.url + "/Nowhere", message), ServerError);
    EXPECT_THROW(fixture.model.ReadItem(alice.inboxUrl + "/missing.EML"), platform::ComError);
}

TEST(StoreModelRegistrations, RegistrationItemsOfEveryMailboxAreListed) {
    StoreFixture fixture;
    auto alice = fixture.AddUser("alice@example.com");
    auto bob = fixture.AddUser("bob@example.com");
    fixture.CreateRegistration(alice.inboxUrl, "Morvane.reg", "onsyncsave", "Morvane.MorvaneCls",
                               "SHALLOW", storetest::kVisibleOnly, "1");
    auto system = fixture.model.FindMailbox(fixture.firstStore.systemMailbox);
    fixture.CreateRegistration(system->url + "/StoreEvents/GlobalEvents", "Morvane.reg",
                               "onsyncsave", "Morvane.MorvaneCls", "ANY", storetest::kVisibleOnly,
                               "1");
    DeliveredMessage message;
    fixture.model.DeliverToInbox(bob.address, message);
    auto items = fixture.model.RegistrationItems();
    std::vector<std::string> urls;
    for (const auto& item : items)
        urls.push_back(item.url);
    std::sort(urls.begin(), urls.end());
    std::vector<std::string> expected = {alice.inboxUrl + "/Morvane.reg",
                                         system->url + "/StoreEvents/GlobalEvents/Morvane.reg"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(urls, expected);
}

TEST(StoreModelServer, DataSurvivesReopeningTheServer) {
    StoreFixture fixture;
    auto alice = fixture.AddUser("alice@example.com", "Boîte de réception");
    DeliveredMessage message;
    message.subject = "persisted";
    std::string url = fixture.model.DeliverToInbox(alice.address, message);
    auto reopened = platform::emulated::ServerDb::Open(fixture.serverFolder());
    platform::emulated::StoreModel model(reopened, fixture.activation);
    EXPECT_EQ(model.FindMailbox("alice@example.com")->inboxUrl, alice.url + "/Boîte de réception");
    EXPECT_EQ(model.ReadItem(url).properties.Get(property::kSubject), Variant("persisted"));
}

}  // namespace
