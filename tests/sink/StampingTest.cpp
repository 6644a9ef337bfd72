#include <gtest/gtest.h>

#include "sink/MorvaneCls.h"
#include "tests/sink/SinkTestSupport.h"

namespace {

using fakestore::FakeEventInfo;
using fakestore::FakeStore;
using platform::Variant;
using sinktest::KeywordsOf;
using sinktest::Message;
using Strings = std::vector<std::string>;

using sinktest::kComments;

// A delivered message saved through the sink, with a settings file of the
// given display format.
class Stamping : public ::testing::Test {
  protected:
    void Deliver(FakeEventInfo& info, const std::string& displayFormat,
                 int32_t flags = sinktest::kDeliveredBegin) {
        sinktest::WriteSettings(folder_, displayFormat);
        sinktest::SettingsFolderScope scope(folder_.path());
        MorvaneCls sink(store_);
        sink.OnSyncSave(info, sinktest::kItemUrl, flags);
    }

    testsupport::TempFolder folder_;
    FakeStore store_;
};

TEST_F(Stamping, StampGoesIntoMessageWithoutKeywords) {
    FakeEventInfo info(store_, Message(6));
    Deliver(info, sinktest::kSclFormat);
    EXPECT_EQ(KeywordsOf(info), Strings({"SCL=6"}));
    EXPECT_EQ(info.Value(kComments), Variant("SCL=6"));
    EXPECT_EQ(store_.CountOf("Fields.Update"), 1);
    EXPECT_TRUE(info.RecordReleased());
}

TEST_F(Stamping, BareFormatDropsOldStampAndBlankEntriesKeepsOtherWords) {
    FakeEventInfo info(store_, Message(6, Strings{"7", "   ", "Project X"}));
    Deliver(info, sinktest::kBareFormat);
    EXPECT_EQ(KeywordsOf(info), Strings({"Project X", "6"}));
    EXPECT_EQ(info.Value(kComments), Variant("6"));
}

TEST_F(Stamping, StampIsAlwaysTheLastKeywordAndUserOrderStays) {
    FakeEventInfo info(store_, Message(2, Strings{"b", "SCL=5", "a", "", "c"}));
    Deliver(info, sinktest::kSclFormat);
    EXPECT_EQ(KeywordsOf(info), Strings({"b", "a", "c", "SCL=2"}));
}

TEST_F(Stamping, OldStampDifferingOnlyInCaseIsReplaced) {
    FakeEventInfo info(store_, Message(6, Strings{"scl=3", "Scl=-1", "keep"}));
    Deliver(info, sinktest::kSclFormat);
    EXPECT_EQ(KeywordsOf(info), Strings({"keep", "SCL=6"}));
}

TEST_F(Stamping, StampWithLeadingSpaceStaysBecauseStoredTextIsCompared) {
    FakeEventInfo info(store_, Message(6, Strings{" SCL=6", "SCL=6 "}));
    Deliver(info, sinktest::kSclFormat);
    EXPECT_EQ(KeywordsOf(info), Strings({" SCL=6", "SCL=6 ", "SCL=6"}));
}

TEST_F(Stamping, OnlyTheElevenStampsMinusOneToNineAreRemoved) {
    FakeEventInfo info(store_, Message(4, Strings{"SCL=-2", "SCL=-0", "SCL=12", "SCL=1x",
                                                  "SCL=", "SCL=9", "SCL=0", "SCL=-1"}));
    Deliver(info, sinktest::kSclFormat);
    EXPECT_EQ(KeywordsOf(info), Strings({"SCL=-2", "SCL=-0", "SCL=12", "SCL=1x", "SCL=", "SCL=4"}));
}

TEST_F(Stamping, BareFormatRemovesUserKeywordsThatLookLikeStamps) {
    FakeEventInfo info(store_, Message(-1, Strings{"9", "-1", "0", "10", "x7"}));
    Deliver(info, sinktest::kBareFormat);
    EXPECT_EQ(KeywordsOf(info), Strings({"10", "x7", "-1"}));
    EXPECT_EQ(info.Value(kComments), Variant("-1"));
}

TEST_F(Stamping, SwitchingToBareFormatLeavesStampsOfTheOtherForm) {
    FakeEventInfo info(store_, Message(-1, Strings{"SCL=-1"}));
    Deliver(info, sinktest::kBareFormat);
    EXPECT_EQ(KeywordsOf(info), Strings({"SCL=-1", "-1"}));
}

TEST_F(Stamping, SwitchingToSclFormatLeavesBareStamps) {
    FakeEventInfo info(store_, Message(6, Strings{"6"}));
    Deliver(info, sinktest::kSclFormat);
    EXPECT_EQ(KeywordsOf(info), Strings({"6", "SCL=6"}));
}

TEST_F(Stamping, SclOfTenIsStampedButNotRemovedOnTheNextSave) {
    FakeEventInfo info(store_, Message(10));
    Deliver(info, sinktest::kSclFormat);
    EXPECT_EQ(KeywordsOf(info), Strings({"SCL=10"}));
    Deliver(info, sinktest::kSclFormat);
    EXPECT_EQ(KeywordsOf(info), Strings({"SCL=10", "SCL=10"}));
    EXPECT_EQ(info.Value(kComments), Variant("SCL=10"));
}

TEST_F(Stamping, ResavedMessageCarriesOneStamp) {
    FakeEventInfo info(store_, Message(3, Strings{"work"}));
    Deliver(info, sinktest::kSclFormat);
    Deliver(info, sinktest::kSclFormat);
    EXPECT_EQ(KeywordsOf(info), Strings({"work", "SCL=3"}));
}

TEST_F(Stamping, KeywordsThatAreNotAnArrayAreReplacedByTheStamp) {
    fakestore::FieldList fields = Message(5);
    fields.emplace_back(MorvaneModule::kKeywordsProperty, Variant("old single value"));
    FakeEventInfo info(store_, fields);
    Deliver(info, sinktest::kSclFormat);
    EXPECT_EQ(KeywordsOf(info), Strings({"SCL=5"}));
}

TEST_F(Stamping, NullAndEmptyKeywordEntriesAreDropped) {
    fakestore::FieldList fields = Message(1);
    fields.emplace_back(MorvaneModule::kKeywordsProperty,
                        Variant(Variant::Array{Variant::Null(), Variant(), Variant("x")}));
    FakeEventInfo info(store_, fields);
    Deliver(info, sinktest::kSclFormat);
    EXPECT_EQ(KeywordsOf(info), Strings({"x", "SCL=1"}));
}

TEST_F(Stamping, CommentsAreOverwritten) {
    fakestore::FieldList fields = Message(8);
    fields.emplace_back(kComments, Variant("a note of the user"));
    FakeEventInfo info(store_, fields);
    Deliver(info, sinktest::kSclFormat);
    EXPECT_EQ(info.Value(kComments), Variant("SCL=8"));
}

// Messages that must be left exactly as they are.
class NotStamped : public Stamping {
  protected:
    void ExpectUntouched(const FakeEventInfo& info, const fakestore::FieldList& before) {
        EXPECT_EQ(info.Fields(), before);
        EXPECT_EQ(store_.CountOf("Field.SetValue"), 0);
        EXPECT_EQ(store_.CountOf("Fields.Update"), 0);
        EXPECT_TRUE(info.RecordReleased());
    }
};

TEST_F(NotStamped, MessageWithoutScl) {
    fakestore::FieldList before = Message(Variant(), Strings{"a"});
    FakeEventInfo info(store_, before);
    Deliver(info, sinktest::kSclFormat);
    ExpectUntouched(info, before);
}

TEST_F(NotStamped, MessageWithNullScl) {
    fakestore::FieldList before = Message(Variant::Null(), Strings{"a"});
    FakeEventInfo info(store_, before);
    Deliver(info, sinktest::kSclFormat);
    ExpectUntouched(info, before);
}

TEST_F(NotStamped, SaveThatIsNotADelivery) {
    fakestore::FieldList before = Message(6);
    FakeEventInfo info(store_, before);
    Deliver(info, sinktest::kSclFormat, MorvaneModule::EVT_SYNC_BEGIN);
    ExpectUntouched(info, before);
    EXPECT_EQ(store_.CountOf("Field.Value"), 0);
}

TEST_F(NotStamped, DeliveredFolder) {
    fakestore::FieldList before = Message(6);
    FakeEventInfo info(store_, before);
    Deliver(info, sinktest::kSclFormat,
            sinktest::kDeliveredBegin | MorvaneModule::EVT_IS_COLLECTION);
    ExpectUntouched(info, before);
    EXPECT_EQ(store_.CountOf("Field.Value"), 0);
}

TEST_F(NotStamped, RecordCannotBeFetched) {
    fakestore::FieldList before = Message(6);
    FakeEventInfo info(store_, before);
    store_.FailAt("EventInfo.EventRecord");
    Deliver(info, sinktest::kSclFormat);
    EXPECT_EQ(info.Fields(), before);
    EXPECT_EQ(store_.CountOf("Fields.Update"), 0);
}

}  // namespace
