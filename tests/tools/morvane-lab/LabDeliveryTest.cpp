// deliver and show, on a server without registrations: the message is
// stored exactly as delivered.
#include <gtest/gtest.h>

#include "tests/tools/morvane-lab/LabProcess.h"

namespace labtest {
namespace {

class LabDeliveryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        server.Ok({"init", "--empty"});
        server.Ok({"mailbox", "add", "ann@morvane.test"});
        server.Ok({"mailbox", "add", "udo@morvane.test", "--inbox-name", "Posteingang"});
    }

    LabServer server;
};

TEST_F(LabDeliveryTest, DeliverStoresSclKeywordsInOrderAndComments) {
    nlohmann::json message =
        server
            .Ok({"deliver", "ann@morvane.test", "--scl", "-1", "--keyword", "zeta", "--keyword",
                 " with blanks ", "--keyword", "alpha", "--comments", "hello", "--subject",
                 "Quarterly report", "--json"})
            .Json();
    EXPECT_EQ(message["subject"], "Quarterly report");
    EXPECT_EQ(message["scl"], -1);
    EXPECT_EQ(message["keywords"], nlohmann::json::array({"zeta", " with blanks ", "alpha"}));
    EXPECT_EQ(message["comments"], "hello");
    std::string url = message["url"];
    EXPECT_EQ(url.rfind("http://ex1/exadmin/morvane.test/mbx/ann@morvane.test/Inbox/", 0), 0u)
        << url;
}

TEST_F(LabDeliveryTest, DeliverWithoutOptionsLeavesSclKeywordsAndCommentsAbsent) {
    nlohmann::json message = server.Ok({"deliver", "ann@morvane.test", "--json"}).Json();
    EXPECT_TRUE(message["scl"].is_null());
    EXPECT_TRUE(message["keywords"].is_null());
    EXPECT_TRUE(message["comments"].is_null());
}

TEST_F(LabDeliveryTest, KeywordsTextIsASingleValueNotAList) {
    nlohmann::json message =
        server.Ok({"deliver", "ann@morvane.test", "--keywords-text", "a, b", "--json"}).Json();
    EXPECT_EQ(message["keywords"], "a, b");
}

TEST_F(LabDeliveryTest, DeliverFindsALocalisedInbox) {
    nlohmann::json message =
        server.Ok({"deliver", "UDO@morvane.test", "--scl", "3", "--json"}).Json();
    std::string url = message["url"];
    EXPECT_EQ(url.rfind("http://ex1/exadmin/morvane.test/mbx/udo@morvane.test/Posteingang/", 0), 0u)
        << url;
    nlohmann::json shown = server.Ok({"show", "udo@morvane.test", "--json"}).Json();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], message);
}

TEST_F(LabDeliveryTest, ShowListsTheFolderOldestFirst) {
    for (const char* subject : {"Zebra", "Apple", "Mango"})
        server.Ok({"deliver", "ann@morvane.test", "--subject", subject});
    nlohmann::json shown = server.Ok({"show", "ann@morvane.test", "--json"}).Json();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0]["subject"], "Zebra");
    EXPECT_EQ(shown[1]["subject"], "Apple");
    EXPECT_EQ(shown[2]["subject"], "Mango");
    EXPECT_EQ(server.Ok({"show", "udo@morvane.test", "--json"}).Json(), nlohmann::json::array());
}

TEST_F(LabDeliveryTest, SameSubjectTwiceKeepsBothMessages) {
    nlohmann::json first = server.Ok({"deliver", "ann@morvane.test", "--json"}).Json();
    nlohmann::json second = server.Ok({"deliver", "ann@morvane.test", "--json"}).Json();
    EXPECT_NE(first["url"], second["url"]);
    EXPECT_EQ(server.Ok({"show", "ann@morvane.test", "--json"}).Json().size(), 2u);
}

TEST_F(LabDeliveryTest, TablesShowWhatAMailClientShows) {
    LabResult delivered = server.Ok({"deliver", "ann@morvane.test", "--scl", "7", "--keyword",
                                     "one", "--keyword", "two", "--comments", "note"});
    EXPECT_NE(delivered.out.find("one; two"), std::string::npos) << delivered.out;
    std::string table = server.Ok({"show", "ann@morvane.test"}).out;
    EXPECT_NE(table.find("SUBJECT"), std::string::npos);
    EXPECT_NE(table.find("KEYWORDS"), std::string::npos);
    EXPECT_NE(table.find("one; two"), std::string::npos) << table;
    EXPECT_NE(table.find("note"), std::string::npos) << table;
}

TEST_F(LabDeliveryTest, FoldersAreNamedBelowTheMailboxRoot) {
    nlohmann::json stores = server.Ok({"store", "list", "--json"}).Json();
    std::string system = stores[0]["systemmailbox"];
    nlohmann::json message =
        server.Ok({"deliver", system, "--folder", "storeevents/globalevents", "--json"}).Json();
    std::string url = message["url"];
    EXPECT_NE(url.find("/StoreEvents/GlobalEvents/"), std::string::npos) << url;
    EXPECT_EQ(
        server.Ok({"show", system, "--folder", "StoreEvents/GlobalEvents", "--json"}).Json().size(),
        1u);
}

TEST_F(LabDeliveryTest, UnknownMailboxOrFolderIsOneLineAndStoresNothing) {
    LabResult mailbox = server.Run({"deliver", "nobody@morvane.test"});
    EXPECT_EQ(mailbox.exitCode, 1);
    EXPECT_EQ(mailbox.err, "morvane-lab: error: no mailbox nobody@morvane.test\n");
    LabResult folder = server.Run({"deliver", "ann@morvane.test", "--folder", "Junk"});
    EXPECT_EQ(folder.exitCode, 1);
    EXPECT_EQ(folder.err,
              "morvane-lab: error: the mailbox ann@morvane.test has no folder \"Junk\"\n");
    EXPECT_EQ(server.Run({"show", "nobody@morvane.test"}).exitCode, 1);
    EXPECT_EQ(server.Ok({"show", "ann@morvane.test", "--json"}).Json().size(), 0u);
}

}  // namespace
}  // namespace labtest
