// store add/list and mailbox add/list.
#include <gtest/gtest.h>

#include "tests/tools/morvane-lab/LabProcess.h"

namespace labtest {
namespace {

class LabStoreTest : public ::testing::Test {
  protected:
    void SetUp() override { server.Ok({"init", "--empty"}); }

    nlohmann::json Mailbox(const std::string& address) {
        for (const auto& mailbox : server.Ok({"mailbox", "list", "--json"}).Json()) {
            if (mailbox["address"] == address)
                return mailbox;
        }
        ADD_FAILURE() << "no mailbox " << address;
        return nlohmann::json::object();
    }

    LabServer server;
};

TEST_F(LabStoreTest, StoreAddCreatesTheStoreWithItsSystemMailbox) {
    server.Ok({"store", "add", "Sales Store", "--storage-group", "Third Storage Group"});
    nlohmann::json stores = server.Ok({"store", "list", "--json"}).Json();
    ASSERT_EQ(stores.size(), 2u);
    nlohmann::json sales = stores[0]["name"] == "Sales Store" ? stores[0] : stores[1];
    EXPECT_EQ(sales["name"], "Sales Store");
    EXPECT_EQ(sales["storagegroup"], "Third Storage Group");
    std::string system = sales["systemmailbox"];
    nlohmann::json mailbox = Mailbox(system);
    EXPECT_EQ(mailbox["store"], "Sales Store");
    EXPECT_EQ(mailbox["storagegroup"], "Third Storage Group");
    EXPECT_EQ(mailbox["system"], true);
}

TEST_F(LabStoreTest, StoreAddDefaultsToTheFirstStorageGroupAndRefusesDuplicates) {
    server.Ok({"store", "add", "Second Store"});
    nlohmann::json stores = server.Ok({"store", "list", "--json"}).Json();
    for (const auto& store : stores)
        EXPECT_EQ(store["storagegroup"], "First Storage Group");
    LabResult duplicate = server.Run({"store", "add", "Mailbox Store"});
    EXPECT_EQ(duplicate.exitCode, 1);
    EXPECT_NE(duplicate.err.find("exists already"), std::string::npos) << duplicate.err;
    EXPECT_EQ(server.Ok({"store", "list", "--json"}).Json().size(), 2u);
}

TEST_F(LabStoreTest, StoreListTableNamesEveryStore) {
    server.Ok({"store", "add", "Archive Store", "--storage-group", "Second Storage Group"});
    std::string table = server.Ok({"store", "list"}).out;
    EXPECT_NE(table.find("STORE"), std::string::npos);
    EXPECT_NE(table.find("Mailbox Store"), std::string::npos);
    EXPECT_NE(table.find("Second Storage Group"), std::string::npos);
}

TEST_F(LabStoreTest, MailboxAddDefaultsToTheFirstStoreAndTheLocalPart) {
    server.Ok({"store", "add", "Another Store", "--storage-group", "A Storage Group"});
    server.Ok({"mailbox", "add", "zoe.park@morvane.test"});
    nlohmann::json zoe = Mailbox("zoe.park@morvane.test");
    EXPECT_EQ(zoe["store"], "Mailbox Store");
    EXPECT_EQ(zoe["storagegroup"], "First Storage Group");
    EXPECT_EQ(zoe["cn"], "zoe.park");
    EXPECT_EQ(zoe["alias"], "zoe.park");
    EXPECT_EQ(zoe["url"], "http://ex1/exadmin/morvane.test/mbx/zoe.park@morvane.test");
    EXPECT_EQ(zoe["inbox"], "http://ex1/exadmin/morvane.test/mbx/zoe.park@morvane.test/Inbox");
    EXPECT_EQ(zoe["system"], false);
}

TEST_F(LabStoreTest, MailboxAddTakesStoreNamesLocalisedInboxAndBareRoot) {
    server.Ok({"store", "add", "Other Store"});
    server.Ok({"mailbox", "add", "jean@morvane.test", "--store", "other store", "--cn",
               "Jean Dupont", "--alias", "jdupont", "--inbox-name", "Boîte de réception",
               "--no-root-fields"});
    nlohmann::json jean = Mailbox("jean@morvane.test");
    EXPECT_EQ(jean["store"], "Other Store");
    EXPECT_EQ(jean["cn"], "Jean Dupont");
    EXPECT_EQ(jean["alias"], "jdupont");
    EXPECT_EQ(jean["inbox"],
              "http://ex1/exadmin/morvane.test/mbx/jean@morvane.test/Boîte de réception");
    EXPECT_EQ(jean["rootfields"], false);
}

// The bulk form makes a large server in one transaction: all of the
// mailboxes or, when one of them cannot be added, none.
TEST_F(LabStoreTest, MailboxAddWithACountAddsNumberedMailboxesAllOrNone) {
    server.Ok({"mailbox", "add", "--count", "12", "--prefix", "user", "--inbox-name", "Eingang"});
    nlohmann::json mailboxes = server.Ok({"mailbox", "list", "--json"}).Json();
    ASSERT_EQ(mailboxes.size(), 13u);
    nlohmann::json first = Mailbox("user01@morvane.test");
    EXPECT_EQ(first["cn"], "user01");
    EXPECT_EQ(first["store"], "Mailbox Store");
    EXPECT_EQ(first["inbox"], "http://ex1/exadmin/morvane.test/mbx/user01@morvane.test/Eingang");
    EXPECT_EQ(Mailbox("user12@morvane.test")["alias"], "user12");
    LabResult overlapping = server.Run({"mailbox", "add", "--count", "20", "--prefix", "user"});
    EXPECT_EQ(overlapping.exitCode, 1);
    EXPECT_NE(overlapping.err.find("user01@morvane.test exists already"), std::string::npos)
        << overlapping.err;
    EXPECT_EQ(server.Ok({"mailbox", "list", "--json"}).Json().size(), 13u);
}

TEST_F(LabStoreTest, MailboxAddRefusesBadInputWithOneLine) {
    struct Case {
        std::vector<std::string> arguments;
        std::string message;
    };
    for (const Case& bad : std::vector<Case>{
             {{"mailbox", "add", "no-at-sign"}, "not an e-mail address"},
             {{"mailbox", "add", "a/b@morvane.test"}, "not an e-mail address"},
             {{"mailbox", "add", "@morvane.test"}, "not an e-mail address"},
             {{"mailbox", "add", "x@morvane.test", "--store", "Nowhere"}, "no mailbox store"},
             {{"mailbox", "add", "x@morvane.test", "--inbox-name", "a/b"}, "Inbox"},
             {{"mailbox", "add"}, "needs an ADDRESS"},
             {{"mailbox", "add", "x@morvane.test", "--count", "2", "--prefix", "u"}, "give none"},
             {{"mailbox", "add", "--count", "0", "--prefix", "u"}, "--count takes"},
             {{"mailbox", "add", "--count", "2", "--prefix", "a b"}, "not an e-mail address"}}) {
        LabResult result = server.Run(bad.arguments);
        EXPECT_EQ(result.exitCode, 1) << bad.arguments.back();
        ASSERT_EQ(result.ErrorLines().size(), 1u) << result.err;
        EXPECT_NE(result.err.find(bad.message), std::string::npos) << result.err;
    }
    EXPECT_EQ(server.Ok({"mailbox", "list", "--json"}).Json().size(), 1u);
    server.Ok({"mailbox", "add", "x@morvane.test"});
    LabResult duplicate = server.Run({"mailbox", "add", "X@MORVANE.TEST"});
    EXPECT_EQ(duplicate.exitCode, 1);
    EXPECT_NE(duplicate.err.find("exists already"), std::string::npos) << duplicate.err;
}

}  // namespace
}  // namespace labtest
