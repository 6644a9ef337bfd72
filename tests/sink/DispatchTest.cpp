#include <gtest/gtest.h>

#include <map>

#include "sink/MorvaneCls.h"
#include "tests/sink/SinkTestSupport.h"

namespace {

using fakestore::FakeEventInfo;
using fakestore::FakeStore;
using platform::Variant;
using sinktest::KeywordsOf;
using sinktest::Message;
using Strings = std::vector<std::string>;
namespace mm = MorvaneModule;

using sinktest::kComments;

// The sink with a settings file that selects the bare form, and the
// thread's settings variables set to sentinels, so a test sees whether the
// settings were read.
class Dispatch : public ::testing::Test {
  protected:
    Dispatch() : scope_(folder_.path()) {
        sinktest::WriteSettings(folder_, sinktest::kBareFormat);
        mm::sIniFile = "sentinel path";
        mm::sDisplayFormat = "sentinel format";
    }

    bool SettingsWereRead() const {
        return mm::sIniFile != "sentinel path" || mm::sDisplayFormat != "sentinel format";
    }

    testsupport::TempFolder folder_;
    sinktest::SettingsFolderScope scope_;
    FakeStore store_;
    sinktest::TestReports reports_;
    MorvaneCls sink_{store_, platform::SystemClock(), reports_.reports};

    // The kinds and first inserts ("<event>, <phase>") of the entries so far.
    std::vector<std::pair<uint32_t, std::string>> Reported() const {
        std::vector<std::pair<uint32_t, std::string>> reported;
        for (const platform::EventReport& entry : reports_.log.entries)
            reported.emplace_back(entry.eventId, entry.inserts.at(0));
        return reported;
    }
};

TEST_F(Dispatch, BeginAndCommittedTogetherRunOnlyTheBeginBranch) {
    FakeEventInfo info(store_, Message(6));
    sink_.OnSyncSave(info, sinktest::kItemUrl,
                     sinktest::kDeliveredBegin | mm::EVT_SYNC_COMMITTED | mm::EVT_SYNC_ABORTED);
    EXPECT_EQ(KeywordsOf(info), Strings({"6"}));
    EXPECT_EQ(store_.CountOf("EventInfo.EventRecord"), 1);
    EXPECT_EQ(mm::sDisplayFormat, "<SCL value>");
}

TEST_F(Dispatch, BeginOfASaveReadsTheSettingsBeforeStamping) {
    FakeEventInfo info(store_, Message(6));
    sink_.OnSyncSave(info, sinktest::kItemUrl, sinktest::kDeliveredBegin);
    EXPECT_TRUE(mm::sIniFile == folder_.File("Morvane.ini"));  // no paths in the output
    EXPECT_EQ(mm::sDisplayFormat, "<SCL value>");
    EXPECT_EQ(info.Value(kComments), Variant("6"));
    EXPECT_TRUE(reports_.log.entries.empty()) << "a clean delivery reports nothing";
}

// The settings cannot be read: the message is stamped in the format read
// before, and the failure is reported.
TEST_F(Dispatch, UnreadableSettingsAreReportedAndTheStampingGoesOn) {
    struct UnreadableProfile : platform::Profile {
        uint32_t GetPrivateProfileString(const std::string&, const std::string&, const std::string&,
                                         std::string&, uint32_t, const std::string&) override {
            throw platform::ComError(platform::hresult::E_ACCESSDENIED, "Access is denied.");
        }
        bool WritePrivateProfileString(const std::string&, const std::string&, const std::string&,
                                       const std::string&) override {
            return false;
        }
    } profile;
    MorvaneCls sink(store_, platform::SystemClock(), reports_.reports, profile);
    mm::sDisplayFormat = "<SCL value>";
    FakeEventInfo info(store_, Message(6));
    sink.OnSyncSave(info, sinktest::kItemUrl, sinktest::kDeliveredBegin);
    EXPECT_EQ(info.Value(kComments), Variant("6"));
    EXPECT_EQ(reports_.log.entries, std::vector<platform::EventReport>{sinktest::BeginReport(1)});
}

TEST_F(Dispatch, CommittedAndAbortedPhasesOfASaveOnlyFetchAndReleaseTheRecord) {
    for (int32_t phase : {mm::EVT_SYNC_COMMITTED, mm::EVT_SYNC_ABORTED,
                          mm::EVT_SYNC_COMMITTED | mm::EVT_SYNC_ABORTED}) {
        FakeStore store;
        MorvaneCls sink(store, platform::SystemClock(), reports_.reports);
        fakestore::FieldList before = Message(6);
        FakeEventInfo info(store, before);
        sink.OnSyncSave(info, sinktest::kItemUrl, phase | mm::EVT_IS_DELIVERED);
        EXPECT_EQ(store.Calls(), Strings({"EventInfo.EventRecord"})) << phase;
        EXPECT_TRUE(info.RecordReleased()) << phase;
        EXPECT_EQ(info.Fields(), before) << phase;
    }
    EXPECT_FALSE(SettingsWereRead());
}

TEST_F(Dispatch, FlagsWithoutAPhaseBitDoNothing) {
    FakeEventInfo info(store_, Message(6));
    sink_.OnSyncSave(info, sinktest::kItemUrl, mm::EVT_IS_DELIVERED | 0x1 | 0x20000000);
    sink_.OnSyncDelete(info, sinktest::kItemUrl, 0x20);
    EXPECT_TRUE(store_.Calls().empty());
    EXPECT_FALSE(SettingsWereRead());
}

TEST_F(Dispatch, DeleteEventsChangeNothingAndNeverReadTheSettings) {
    for (int32_t phase : {mm::EVT_SYNC_BEGIN, mm::EVT_SYNC_COMMITTED, mm::EVT_SYNC_ABORTED}) {
        FakeStore store;
        MorvaneCls sink(store, platform::SystemClock(), reports_.reports);
        fakestore::FieldList before = Message(6, Strings{"7"});
        FakeEventInfo info(store, before);
        sink.OnSyncDelete(info, sinktest::kItemUrl, phase | mm::EVT_IS_DELIVERED | 0x20);
        EXPECT_EQ(store.Calls(), Strings({"EventInfo.EventRecord"})) << phase;
        EXPECT_TRUE(info.RecordReleased()) << phase;
        EXPECT_EQ(info.Fields(), before) << phase;
    }
    EXPECT_FALSE(SettingsWereRead());
}

// An hour apart, so that each failure gets an entry of its own.
TEST_F(Dispatch, FailuresOfTheOtherPhasesAreSwallowedAndReported) {
    FakeEventInfo info(store_, Message(6));
    store_.FailAt("EventInfo.EventRecord");
    EXPECT_NO_THROW(sink_.OnSyncSave(info, sinktest::kItemUrl, mm::EVT_SYNC_COMMITTED));
    reports_.clock.Advance(FailureReports::kInterval);
    EXPECT_NO_THROW(sink_.OnSyncSave(info, sinktest::kItemUrl, mm::EVT_SYNC_ABORTED));
    for (int32_t phase : {mm::EVT_SYNC_BEGIN, mm::EVT_SYNC_COMMITTED, mm::EVT_SYNC_ABORTED}) {
        reports_.clock.Advance(FailureReports::kInterval);
        EXPECT_NO_THROW(sink_.OnSyncDelete(info, sinktest::kItemUrl, phase));
    }
    EXPECT_EQ(store_.CountOf("EventInfo.EventRecord"), 5);
    using Reports = std::vector<std::pair<uint32_t, std::string>>;
    EXPECT_EQ(Reported(), (Reports{{2, "save, committed"},
                                   {2, "save, aborted"},
                                   {2, "delete, begin"},
                                   {2, "delete, committed"},
                                   {2, "delete, aborted"}}));
}

TEST_F(Dispatch, RegisterAcceptsEveryRegistration) {
    FakeEventInfo info(store_, {});
    EXPECT_EQ(sink_.Register(info, "", 0), 0);
    EXPECT_EQ(sink_.Register(info, sinktest::kItemUrl, -1), 0);
    EXPECT_EQ(sink_.Register(info, "http://x/y/Morvane.reg", 0x7fffffff), 0);
}

// Every store operation of a begin phase, failed one at a time.
class FailingBeginPhase : public Dispatch {
  protected:
    fakestore::FieldList Before() const { return Message(6, Strings{"SCL=2", "work"}); }

    // The operations a successful begin phase makes, in order.
    Strings SuccessfulCalls() {
        FakeStore store;
        MorvaneCls sink(store, platform::SystemClock(), reports_.reports);
        FakeEventInfo info(store, Before());
        sink.OnSyncSave(info, sinktest::kItemUrl, sinktest::kDeliveredBegin);
        EXPECT_EQ(info.Value(kComments), Variant("6"));
        return store.Calls();
    }
};

// Each failure is also reported, as the kind of failure it is.
TEST_F(FailingBeginPhase, EachFailureReturnsNormallyCommitsNothingAndIsReportedAsItsKind) {
    const Strings calls = SuccessfulCalls();
    using enum FailureKind;
    const FailureKind kinds[] = {EventRecord, FieldRead,  FieldRead,  FieldRead,  FieldRead,
                                 FieldRead,   FieldWrite, FieldWrite, FieldWrite, Update};
    ASSERT_EQ(calls.size(), std::size(kinds));
    std::map<std::string, int> seen;
    for (size_t index = 0; index < calls.size(); ++index) {
        const std::string& call = calls[index];
        std::string operation = call.substr(0, call.find(' '));
        int nth = ++seen[operation];
        FakeStore store;
        sinktest::TestReports test;
        MorvaneCls sink(store, platform::SystemClock(), test.reports);
        FakeEventInfo info(store, Before());
        store.FailAt(operation, nth, platform::hresult::E_ACCESSDENIED, "Access is denied.");
        EXPECT_NO_THROW(sink.OnSyncSave(info, sinktest::kItemUrl, sinktest::kDeliveredBegin))
            << call;
        EXPECT_EQ(info.Fields(), Before()) << call;
        EXPECT_TRUE(info.RecordReleased() || operation == "EventInfo.EventRecord") << call;
        if (operation != "Fields.Update") {
            EXPECT_EQ(store.CountOf("Fields.Update"), 0) << call;
        }
        EXPECT_EQ(test.log.entries, std::vector<platform::EventReport>{sinktest::BeginReport(
                                        static_cast<uint32_t>(kinds[index]))})
            << call;
    }
}

TEST_F(FailingBeginPhase, FieldsWrittenBeforeTheErrorStayOnTheRecord) {
    FakeEventInfo info(store_, Before());
    info.HoldRecords();
    store_.FailAt("Field.SetValue", 2);  // the comments
    sink_.OnSyncSave(info, sinktest::kItemUrl, sinktest::kDeliveredBegin);
    ASSERT_NE(info.HeldRecord(), nullptr);
    auto keywords = info.HeldRecord()->PendingValue(mm::kKeywordsProperty);
    ASSERT_TRUE(keywords.has_value());
    EXPECT_EQ(*keywords, Variant::StringArray({"SCL=2", "work", "6"}));
    EXPECT_FALSE(info.HeldRecord()->PendingValue(kComments).has_value());
    EXPECT_EQ(store_.CountOf("Fields.Update"), 0);
    EXPECT_EQ(info.Fields(), Before());
}

TEST_F(FailingBeginPhase, SclThatCannotBeTurnedIntoTextEndsTheHandler) {
    fakestore::FieldList before = Message(Variant(Variant::Array{Variant(1)}));
    FakeEventInfo info(store_, before);
    EXPECT_NO_THROW(sink_.OnSyncSave(info, sinktest::kItemUrl, sinktest::kDeliveredBegin));
    EXPECT_EQ(info.Fields(), before);
    EXPECT_EQ(store_.CountOf("Field.SetValue"), 0);
}

}  // namespace
