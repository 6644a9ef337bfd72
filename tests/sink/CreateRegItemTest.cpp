#include <map>

#include "tests/sink/RegistrationFixture.h"

namespace {

using platform::Variant;
using sinktest::kAnn;
using sinktest::kBob;
using sinktest::kEvents;
using sinktest::kMissing;
using sinktest::kNow;
using sinktest::kRegName;
using sinktest::kSys;
using Strings = std::vector<std::string>;

const fakestore::FieldList kExpectedItem = {
    {"DAV:contentclass", Variant("urn:content-class:storeeventreg")},
    {kEvents + "EventMethod", Variant("onsyncsave")},
    {kEvents + "SinkClass", Variant("Morvane.MorvaneCls")},
    {kEvents + "MatchScope", Variant("SHALLOW")},
    {kEvents + "criteria", Variant("WHERE \"DAV:ishidden\" = FALSE")},
    {kEvents + "priority", Variant("65535")},
    {"DAV:ishidden", Variant(true)},
};

using CreateRegItem = sinktest::Registration;

TEST_F(CreateRegItem, WritesTheSevenFieldsInOrderIntoTheInbox) {
    EXPECT_EQ(Create(kAnn), "1");
    EXPECT_EQ(store_.FieldsOf(kAnn + "/Inbox/" + kRegName), kExpectedItem);
}

TEST_F(CreateRegItem, OpensReadsCreatesCommitsAndClosesWithTheExactArguments) {
    EXPECT_EQ(Create(kAnn), "1");
    EXPECT_EQ(store_.Calls().at(1), "Connection.SetProvider ExOLEDB.DataSource");
    const std::string item = kAnn + "/Inbox/" + kRegName;
    EXPECT_EQ(StoreSteps(), Strings({
                                sinktest::ConnectionOpen(kAnn),
                                sinktest::ReadOpen(kAnn),
                                "Record.Close",
                                "Connection.BeginTrans",
                                sinktest::CreateOpen(item),
                                "Fields.Update",
                                "Record.Close",
                                "Connection.CommitTrans",
                                "Connection.Close",
                            }));
}

TEST_F(CreateRegItem, ReplacesAnExistingItemOfTheSameName) {
    store_.AddItem(kAnn + "/Inbox/" + kRegName, {{"urn:x:left-over", Variant("old")}});
    EXPECT_EQ(Create(kAnn), "1");
    EXPECT_EQ(store_.FieldsOf(kAnn + "/Inbox/" + kRegName), kExpectedItem);
}

TEST_F(CreateRegItem, UpperCaseInboxFindsALocalisedInbox) {
    EXPECT_EQ(Create(kBob, "INBOX"), "1");
    EXPECT_TRUE(store_.Exists(kBob + "/Posteingang/" + kRegName));
    EXPECT_FALSE(store_.Exists(kBob + "/INBOX/" + kRegName));
}

TEST_F(CreateRegItem, SubFolderPathIsUsedAsItStandsWithoutReadingTheRoot) {
    EXPECT_EQ(Create(kSys, "StoreEvents/GlobalEvents"), "1");
    EXPECT_EQ(store_.FieldsOf(kSys + "/StoreEvents/GlobalEvents/" + kRegName).size(), 7u);
    EXPECT_EQ(store_.CountOf("Record.Open"), 1);
}

TEST_F(CreateRegItem, MailboxRootWithoutFieldsTakesTheItemItself) {
    EXPECT_EQ(Create(kSys), "1");
    EXPECT_TRUE(store_.Exists(kSys + "/" + kRegName));
}

TEST_F(CreateRegItem, PriorityStaysTextEvenWhenItIsNoNumber) {
    EXPECT_EQ(Create(kAnn, "inbox", "high"), "1");
    EXPECT_EQ(store_.FieldsOf(kAnn + "/Inbox/" + kRegName).at(5).second, Variant("high"));
}

TEST_F(CreateRegItem, MissingMailboxGivesAnErrorLineNeverZero) {
    EXPECT_EQ(Create(kMissing),
              kNow + kMissing + " - ERROR: -2147217895 The object could not be found.");
}

TEST_F(CreateRegItem, ErrorLineNamesTheFolderUrlArgumentWhereverTheFailureCame) {
    EXPECT_EQ(Create(kAnn, "Missing/Folder"),
              kNow + kAnn + " - ERROR: -2147217895 The object could not be found.");
    store_.FailAt("Fields.Update", 0, platform::hresult::E_ACCESSDENIED, "Access is denied.");
    EXPECT_EQ(Create(kBob), kNow + kBob + " - ERROR: -2147024891 Access is denied.");
}

TEST_F(CreateRegItem, ArgumentsAreLeftAsTheyAre) {
    std::string folder = kAnn, sub = "INBOX", name = kRegName, method = "onsyncsave",
                sinkClass = "Morvane.MorvaneCls", scope = "ANY", criteria = "", priority = "7";
    EXPECT_EQ(sink_.CreateRegItem(folder, sub, name, method, sinkClass, scope, criteria, priority),
              "1");
    EXPECT_EQ(
        Strings({folder, sub, name, method, sinkClass, scope, criteria, priority}),
        Strings({kAnn, "INBOX", kRegName, "onsyncsave", "Morvane.MorvaneCls", "ANY", "", "7"}));
}

TEST_F(CreateRegItem, FailureAfterBeginTransIsRolledBackExplicitly) {
    store_.FailAt("Fields.Update");
    EXPECT_EQ(Create(kAnn), kNow + kAnn + " - ERROR: -2147467259 Planted failure");
    const Strings steps = StoreSteps();
    ASSERT_GE(steps.size(), 2u);
    EXPECT_EQ(steps[steps.size() - 2], "Connection.RollbackTrans");
    EXPECT_EQ(steps.back(), "Connection.Close");
    EXPECT_EQ(store_.TransactionsLeftOpen(), 0);
    EXPECT_FALSE(store_.Exists(kAnn + "/Inbox/" + kRegName));
}

TEST_F(CreateRegItem, FailingRollbackKeepsTheFirstErrorAndStillCloses) {
    store_.FailAt("Connection.CommitTrans", 0, platform::hresult::E_FAIL, "Commit refused");
    store_.FailAt("Connection.RollbackTrans", 0, platform::hresult::E_FAIL, "Rollback refused");
    EXPECT_EQ(Create(kAnn), kNow + kAnn + " - ERROR: -2147467259 Commit refused");
    EXPECT_EQ(store_.CountOf("Connection.Close"), 1);
}

// Fails each store call of a successful create in turn: either the create
// still succeeds completely (a failure after the commit), or it reports an
// error line and no registration item is left.
class CreateRegItemFailingAtEachStep : public sinktest::Registration {
  protected:
    void ExpectAllOrNothing(const std::string& folder,
                            const std::optional<fakestore::FieldList>& before) {
        Strings calls;
        {
            fakestore::FakeStore probe;
            calls = RunOnce(probe, folder, before, "", 0).first;
        }
        ASSERT_GT(calls.size(), 20u);
        std::map<std::string, int> seen;
        for (const std::string& call : calls) {
            const std::string operation = call.substr(0, call.find(' '));
            const int nth = ++seen[operation];
            fakestore::FakeStore store;
            auto [log, result] = RunOnce(store, folder, before, operation, nth);
            const std::string item = folder + "/" + kRegName;
            if (result == "1") {
                EXPECT_EQ(store.FieldsOf(item), kExpectedItem) << call;
            } else {
                EXPECT_EQ(result, kNow + kAnn + " - ERROR: -2147467259 Planted failure") << call;
                EXPECT_EQ(store.Exists(item), before.has_value()) << call;
                if (before) {
                    EXPECT_EQ(store.FieldsOf(item), *before) << call;
                }
            }
            EXPECT_EQ(store.TransactionsLeftOpen(), 0) << call;
            const bool closeCannotWork =
                operation == "Connection.State" || operation == "Connection.Close";
            EXPECT_EQ(store.OpenConnections(), closeCannotWork ? 1 : 0) << call;
        }
    }

    std::pair<Strings, std::string> RunOnce(fakestore::FakeStore& store, const std::string& folder,
                                            const std::optional<fakestore::FieldList>& before,
                                            const std::string& failing, int nth) {
        store.AddItem(kAnn, {{"urn:schemas:httpmail:inbox", Variant(folder)}});
        store.AddItem(folder);
        if (before)
            store.AddItem(folder + "/" + kRegName, *before);
        if (!failing.empty())
            store.FailAt(failing, nth);
        MorvaneCls sink(store, clock_);
        std::string parent = kAnn, sub = "inbox", name = kRegName, method = "onsyncsave",
                    sinkClass = "Morvane.MorvaneCls", scope = "SHALLOW",
                    criteria = "WHERE \"DAV:ishidden\" = FALSE", priority = "65535";
        std::string result =
            sink.CreateRegItem(parent, sub, name, method, sinkClass, scope, criteria, priority);
        return {store.Calls(), result};
    }
};

TEST_F(CreateRegItemFailingAtEachStep, NewItemIsCompleteOrAbsent) {
    ExpectAllOrNothing(kAnn + "/Inbox", std::nullopt);
}

TEST_F(CreateRegItemFailingAtEachStep, ReplacedItemIsCompleteOrAsBefore) {
    ExpectAllOrNothing(kAnn + "/Inbox", fakestore::FieldList{{"urn:x:old", Variant("kept")}});
}

}  // namespace
