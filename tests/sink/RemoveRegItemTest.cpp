#include "tests/sink/RegistrationFixture.h"

namespace {

using sinktest::kAnn;
using sinktest::kBob;
using sinktest::kMissing;
using sinktest::kNow;
using sinktest::kRegName;
using sinktest::kSys;
using Strings = std::vector<std::string>;

using RemoveRegItem = sinktest::Registration;

TEST_F(RemoveRegItem, DeletesTheItemInTheInbox) {
    PlantItem(kAnn + "/Inbox");
    EXPECT_EQ(Remove(kAnn), "1");
    EXPECT_FALSE(store_.Exists(kAnn + "/Inbox/" + kRegName));
    EXPECT_TRUE(store_.Exists(kAnn + "/Inbox"));
}

TEST_F(RemoveRegItem, OpensTheItemForChangeAndDeletesTheOpenRecord) {
    PlantItem(kAnn + "/Inbox");
    EXPECT_EQ(Remove(kAnn), "1");
    EXPECT_EQ(StoreSteps(), Strings({
                                sinktest::ConnectionOpen(kAnn),
                                sinktest::ReadOpen(kAnn),
                                "Record.Close",
                                sinktest::ExistingOpen(kAnn + "/Inbox/" + kRegName),
                                "Record.DeleteRecord \"\" async=false",
                                "Record.Close",
                                "Connection.Close",
                            }));
}

TEST_F(RemoveRegItem, MissingItemOrMailboxGivesZero) {
    EXPECT_EQ(Remove(kAnn), "0");
    EXPECT_EQ(Remove(kMissing), "0");
    EXPECT_EQ(Remove(kAnn, "No/Such/Folder"), "0");
    EXPECT_EQ(store_.CountOf("Connection.Close"), 3);
}

TEST_F(RemoveRegItem, UpperCaseInboxFindsALocalisedInbox) {
    PlantItem(kBob + "/Posteingang");
    EXPECT_EQ(Remove(kBob, "INBOX"), "1");
    EXPECT_FALSE(store_.Exists(kBob + "/Posteingang/" + kRegName));
}

TEST_F(RemoveRegItem, MailboxRootWithoutFieldsTakesTheItemItself) {
    PlantItem(kSys);
    PlantItem(kSys + "/StoreEvents/GlobalEvents");
    EXPECT_EQ(Remove(kSys), "1");
    EXPECT_FALSE(store_.Exists(kSys + "/" + kRegName));
    EXPECT_TRUE(store_.Exists(kSys + "/StoreEvents/GlobalEvents/" + kRegName));
}

TEST_F(RemoveRegItem, StoreWideItemInASubFolder) {
    PlantItem(kSys + "/StoreEvents/GlobalEvents");
    EXPECT_EQ(Remove(kSys, "StoreEvents/GlobalEvents"), "1");
    EXPECT_FALSE(store_.Exists(kSys + "/StoreEvents/GlobalEvents/" + kRegName));
    EXPECT_EQ(store_.CountOf("Record.Open"), 1);
}

TEST_F(RemoveRegItem, ErrorLineNamesTheUrlWorkedOnWhenItFailed) {
    PlantItem(kBob + "/Posteingang");
    const std::string tail = " - ERROR: -2147467259 Planted failure";
    store_.FailAt("Connection.Open", 1);
    EXPECT_EQ(Remove(kBob), kNow + kBob + tail);
    store_.FailAt("Record.Open", 1);  // the mailbox root
    EXPECT_EQ(Remove(kBob), kNow + kBob + tail);
    store_.FailAt("Record.Open", 3);  // the item
    EXPECT_EQ(Remove(kBob), kNow + kBob + "/Posteingang/" + kRegName + tail);
    store_.FailAt("Record.DeleteRecord", 1);
    EXPECT_EQ(Remove(kBob), kNow + kBob + "/Posteingang/" + kRegName + tail);
    EXPECT_TRUE(store_.Exists(kBob + "/Posteingang/" + kRegName));
    EXPECT_EQ(Remove(kBob), "1");
}

TEST_F(RemoveRegItem, ArgumentsAreLeftAsTheyAre) {
    PlantItem(kBob + "/Posteingang");
    std::string parent = kBob, sub = "Inbox", name = kRegName;
    EXPECT_EQ(sink_.RemoveRegItem(parent, sub, name), "1");
    EXPECT_EQ(Strings({parent, sub, name}), Strings({kBob, "Inbox", kRegName}));
}

}  // namespace
