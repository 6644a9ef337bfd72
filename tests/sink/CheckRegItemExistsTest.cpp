#include "tests/sink/RegistrationFixture.h"

namespace {

using platform::Variant;
using sinktest::kAnn;
using sinktest::kBob;
using sinktest::kMissing;
using sinktest::kNow;
using sinktest::kRegName;
using sinktest::kSys;
using Strings = std::vector<std::string>;

using CheckRegItemExists = sinktest::Registration;

const std::string kPlanted = " - ERROR: -2147467259 Planted failure";

TEST_F(CheckRegItemExists, ItemInASubFolder) {
    EXPECT_EQ(Check(kSys, "StoreEvents/GlobalEvents"), "0");
    PlantItem(kSys + "/StoreEvents/GlobalEvents");
    EXPECT_EQ(Check(kSys, "StoreEvents/GlobalEvents"), "1");
    EXPECT_EQ(Check(kSys, "No/Such"), "0");
}

TEST_F(CheckRegItemExists, ItemInAnInboxOfThatNameIsFoundAtTheFirstAttempt) {
    PlantItem(kAnn + "/Inbox");
    EXPECT_EQ(Check(kAnn), "1");
    EXPECT_EQ(StoreSteps(), Strings({
                                sinktest::ConnectionOpen(kAnn),
                                sinktest::ExistingOpen(kAnn + "/inbox/" + kRegName),
                                "Record.Close",
                                "Connection.Close",
                            }));
}

TEST_F(CheckRegItemExists, UpperCaseInboxActsLikeLowerCase) {
    PlantItem(kAnn + "/Inbox");
    EXPECT_EQ(Check(kAnn, "INBOX"), "1");
    PlantItem(kBob + "/Posteingang");
    EXPECT_EQ(Check(kBob, "INBOX"), "1");
}

TEST_F(CheckRegItemExists, LocalisedInboxIsFoundByTheSecondAttempt) {
    EXPECT_EQ(Check(kBob), "0");
    PlantItem(kBob + "/Posteingang");
    store_.ClearCalls();
    EXPECT_EQ(Check(kBob), "1");
    EXPECT_EQ(StoreSteps(), Strings({
                                sinktest::ConnectionOpen(kBob),
                                sinktest::ExistingOpen(kBob + "/inbox/" + kRegName),
                                sinktest::ReadOpen(kBob),
                                "Record.Close",
                                sinktest::ExistingOpen(kBob + "/Posteingang/" + kRegName),
                                "Record.Close",
                                "Connection.Close",
                            }));
}

TEST_F(CheckRegItemExists, InboxUrlEndingInInboxInAnyCaseSkipsTheSecondAttempt) {
    // The Inbox lives below another folder, so the literal path misses it.
    store_.AddItem(
        sinktest::kMbx + "/cy@example.com",
        {{"urn:schemas:httpmail:inbox", Variant(sinktest::kMbx + "/cy@example.com/Mail/INBOX")}});
    store_.AddItem(sinktest::kMbx + "/cy@example.com/Mail");
    store_.AddItem(sinktest::kMbx + "/cy@example.com/Mail/INBOX");
    PlantItem(sinktest::kMbx + "/cy@example.com/Mail/INBOX");
    EXPECT_EQ(Check(sinktest::kMbx + "/cy@example.com"), "0");
    EXPECT_EQ(store_.CountOf("Record.Open"), 2);
}

TEST_F(CheckRegItemExists, FirstAttemptFailingForAnyReasonLeadsToTheSecond) {
    PlantItem(kBob + "/Posteingang");
    store_.FailAt("Record.Open", 1);
    EXPECT_EQ(Check(kBob), "1");
}

TEST_F(CheckRegItemExists, RootWithoutFieldsGivesZero) {
    PlantItem(kSys);
    EXPECT_EQ(Check(kSys), "0");
    EXPECT_EQ(store_.CountOf("Record.Open"), 2);
}

TEST_F(CheckRegItemExists, MissingMailboxGivesZero) {
    EXPECT_EQ(Check(kMissing), "0");
    EXPECT_EQ(Check(kMissing, "StoreEvents/GlobalEvents"), "0");
}

TEST_F(CheckRegItemExists, ErrorLineNamesTheParentOrTheResolvedInboxNeverTheItem) {
    PlantItem(kBob + "/Posteingang");
    store_.FailAt("Connection.Open", 1);
    EXPECT_EQ(Check(kBob), kNow + kBob + kPlanted);
    store_.FailAt("Record.Open", 2);  // the mailbox root
    EXPECT_EQ(Check(kBob), kNow + kBob + kPlanted);
    store_.FailAt("Record.Open", 5);  // the item in the localised Inbox
    EXPECT_EQ(Check(kBob), kNow + kBob + "/Posteingang" + kPlanted);
    store_.FailAt("Record.Open", 6);  // the item in a named sub-folder
    EXPECT_EQ(Check(kBob, "Posteingang"), kNow + kBob + kPlanted);
    PlantItem(kAnn + "/Inbox");
    store_.FailAt("Record.Open", 7);  // the literal path, the only one to look at
    EXPECT_EQ(Check(kAnn), kNow + kAnn + "/Inbox" + kPlanted);
}

TEST_F(CheckRegItemExists, ArgumentsAreLeftAsTheyAre) {
    std::string parent = kBob, sub = "InBox", name = kRegName;
    EXPECT_EQ(sink_.CheckRegItemExists(parent, sub, name), "0");
    EXPECT_EQ(Strings({parent, sub, name}), Strings({kBob, "InBox", kRegName}));
}

TEST_F(CheckRegItemExists, EveryCallClosesItsConnectionAndRecord) {
    PlantItem(kBob + "/Posteingang");
    Check(kBob);
    Check(kAnn);
    Check(kMissing);
    store_.FailAt("Fields.Count");
    Check(kBob);
    EXPECT_EQ(store_.CountOf("Connection.Open"), 4);
    EXPECT_EQ(store_.CountOf("Connection.Close"), 4);
    EXPECT_EQ(store_.OpenRecords(), 0);
    EXPECT_EQ(store_.OpenConnections(), 0);
}

}  // namespace
