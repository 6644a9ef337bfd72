// init: the default organisation, the empty server, and that a server is
// created whole or not at all.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "tests/tools/morvane-lab/LabProcess.h"

namespace labtest {
namespace {

nlohmann::json FindBy(const nlohmann::json& list, const std::string& key,
                      const std::string& value) {
    for (const auto& entry : list) {
        if (entry.at(key) == value)
            return entry;
    }
    ADD_FAILURE() << "no entry with " << key << " = " << value;
    return nlohmann::json::object();
}

size_t CountSystem(const nlohmann::json& mailboxes) {
    return static_cast<size_t>(std::count_if(mailboxes.begin(), mailboxes.end(), [](auto& m) {
        return m.at("address").template get<std::string>().rfind("SystemMailbox{", 0) == 0;
    }));
}

TEST(LabInit, DefaultOrganisationHasThreeStoresInTwoStorageGroups) {
    LabServer server;
    server.Ok({"init"});
    nlohmann::json stores = server.Ok({"store", "list", "--json"}).Json();
    ASSERT_EQ(stores.size(), 4u);
    EXPECT_EQ(FindBy(stores, "name", "Mailbox Store")["storagegroup"], "First Storage Group");
    EXPECT_EQ(FindBy(stores, "name", "Executives Store")["storagegroup"], "First Storage Group");
    EXPECT_EQ(FindBy(stores, "name", "Archive Store")["storagegroup"], "Second Storage Group");
    // The fourth belongs to the organisation's other server.
    EXPECT_EQ(FindBy(stores, "name", "EX2 Mailbox Store")["server"], "EX2");
    for (const auto& store : stores) {
        std::string system = store.at("systemmailbox");
        EXPECT_EQ(system.rfind("SystemMailbox{", 0), 0u) << system;
        EXPECT_NE(system.find("}@morvane.test"), std::string::npos) << system;
        if (store["name"] != "EX2 Mailbox Store") {
            EXPECT_EQ(store["server"], "EX1");
        }
    }
}

TEST(LabInit, DefaultOrganisationMailboxesCarryTheirSpecialCases) {
    LabServer server;
    server.Ok({"init"});
    nlohmann::json mailboxes = server.Ok({"mailbox", "list", "--json"}).Json();
    EXPECT_EQ(CountSystem(mailboxes), 4u);
    EXPECT_GE(mailboxes.size() - CountSystem(mailboxes), 8u);
    nlohmann::json anna = FindBy(mailboxes, "address", "anna.berger@morvane.test");
    EXPECT_EQ(anna["url"], "http://ex1/exadmin/morvane.test/mbx/anna.berger@morvane.test");
    EXPECT_EQ(anna["inbox"], "http://ex1/exadmin/morvane.test/mbx/anna.berger@morvane.test/Inbox");
    EXPECT_EQ(anna["server"], "EX1");
    EXPECT_EQ(anna["cn"], "Anna Berger");
    EXPECT_EQ(anna["alias"], "aberger");
    EXPECT_EQ(anna["store"], "Mailbox Store");
    nlohmann::json frank = FindBy(mailboxes, "address", "frank.mueller@morvane.test");
    EXPECT_EQ(frank["inbox"],
              "http://ex1/exadmin/morvane.test/mbx/frank.mueller@morvane.test/Posteingang");
    EXPECT_EQ(frank["cn"], "Frank Müller");
    EXPECT_EQ(FindBy(mailboxes, "address", "grace.whitfield@morvane.test")["store"],
              "Executives Store");
    EXPECT_EQ(FindBy(mailboxes, "address", "lena.fischer@morvane.test")["server"], "EX2");
    for (const auto& mailbox : mailboxes)
        EXPECT_NE(mailbox["address"], "karl.svensson@morvane.test") << "he has no store";
}

TEST(LabInit, TheDisabledAccountAndTheAccountWithoutAStoreAreInTheDirectory) {
    LabServer server;
    server.Ok({"init"});
    nlohmann::json people = server.Ok({"directory", "list", "--json"}).Json();
    nlohmann::json jonas = FindBy(people, "cn", "Jonas Weber");
    EXPECT_EQ(jonas["useraccountcontrol"], 66050);
    EXPECT_EQ(jonas["homeMDB"].get<std::string>().rfind(
                  "CN=Archive Store,CN=Second Storage Group,CN=InformationStore,CN=EX1,", 0),
              0u);
    nlohmann::json karl = FindBy(people, "cn", "Karl Svensson");
    EXPECT_EQ(karl["useraccountcontrol"], 66048);
    EXPECT_FALSE(karl.contains("homeMDB"));
    EXPECT_EQ(karl["msExchHomeServerName"],
              "/o=morvane/ou=First Administrative Group/cn=Configuration/cn=Servers/cn=EX1");
}

TEST(LabInit, EmptyServerHasOneStoreAndItsSystemMailboxOnly) {
    LabServer server;
    server.Ok({"init", "--empty", "--server", "MAIL7", "--domain", "example.org"});
    nlohmann::json stores = server.Ok({"store", "list", "--json"}).Json();
    ASSERT_EQ(stores.size(), 1u);
    EXPECT_EQ(stores[0]["name"], "Mailbox Store");
    EXPECT_EQ(stores[0]["storagegroup"], "First Storage Group");
    nlohmann::json mailboxes = server.Ok({"mailbox", "list", "--json"}).Json();
    ASSERT_EQ(mailboxes.size(), 1u);
    EXPECT_EQ(mailboxes[0]["address"], stores[0]["systemmailbox"]);
    std::string url = mailboxes[0]["url"];
    EXPECT_EQ(url.rfind("http://mail7/exadmin/example.org/mbx/SystemMailbox{", 0), 0u) << url;
    EXPECT_EQ(mailboxes[0]["server"], "MAIL7");
}

TEST(LabInit, RefusesToOverwriteAServerWithoutForce) {
    LabServer server;
    server.Ok({"init", "--empty"});
    server.Ok({"mailbox", "add", "kept@morvane.test"});
    LabResult again = server.Run({"init"});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_NE(again.err.find("exists already"), std::string::npos) << server.Scrub(again.err);
    nlohmann::json mailboxes = server.Ok({"mailbox", "list", "--json"}).Json();
    EXPECT_EQ(mailboxes.size(), 2u) << "the old server must be untouched";

    server.Ok({"init", "--force"});
    mailboxes = server.Ok({"mailbox", "list", "--json"}).Json();
    for (const auto& mailbox : mailboxes)
        EXPECT_NE(mailbox["address"], "kept@morvane.test");
    EXPECT_EQ(server.Ok({"store", "list", "--json"}).Json().size(), 4u);
}

TEST(LabInit, BadNamesLeaveNoServerBehind) {
    LabServer server;
    EXPECT_EQ(server.Run({"init", "--server", "bad name"}).exitCode, 1);
    EXPECT_EQ(server.Run({"init", "--server", "MUCHTOOLONGSERVERNAME"}).exitCode, 1);
    EXPECT_EQ(server.Run({"init", "--domain", "no..dots"}).exitCode, 1);
    EXPECT_EQ(server.Run({"init", "--domain", ""}).exitCode, 1);
    EXPECT_FALSE(std::filesystem::exists(server.folder()));
    // Nothing staged is left beside the server folder either.
    for (const auto& entry : std::filesystem::directory_iterator(server.temp().path()))
        EXPECT_EQ(entry.path().filename().string().find("server."), std::string::npos);
}

TEST(LabInit, NeverTakesOverAFolderThatHoldsSomethingElse) {
    LabServer server;
    std::filesystem::create_directories(server.folder());
    testsupport::WriteFile(server.folder() + "/notes.txt", "mine");
    LabResult result = server.Run({"init", "--force"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("holds no server"), std::string::npos) << server.Scrub(result.err);
    EXPECT_EQ(testsupport::ReadFile(server.folder() + "/notes.txt"), "mine");
    EXPECT_FALSE(std::filesystem::exists(server.folder() + "/server.db"));
}

TEST(LabInit, AnEmptyExistingFolderIsUsed) {
    LabServer server;
    std::filesystem::create_directories(server.folder());
    server.Ok({"init", "--empty"});
    EXPECT_TRUE(std::filesystem::exists(server.folder() + "/server.db"));
}

}  // namespace
}  // namespace labtest
