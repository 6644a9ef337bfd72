#include <gtest/gtest.h>

#include <barrier>
#include <filesystem>
#include <thread>

#include "sink/LibraryFolder.h"
#include "sink/MorvaneCls.h"
#include "tests/sink/SinkTestSupport.h"

namespace {

using fakestore::FakeEventInfo;
using fakestore::FakeStore;
using platform::Variant;
using sinktest::Message;
namespace mm = MorvaneModule;

using sinktest::kComments;

// The comments a delivered SCL 6 message gets on the calling thread, with
// the thread's settings folder as it is set.
std::string StampOfSixDelivered() {
    FakeStore store;
    MorvaneCls sink(store);
    FakeEventInfo info(store, Message(6));
    sink.OnSyncSave(info, sinktest::kItemUrl, sinktest::kDeliveredBegin);
    return info.Value(kComments).AppendToEmptyString();
}

TEST(DisplayFormat, ValueSelectsTheFormWithoutRegardToCase) {
    struct Case {
        std::optional<std::string> fileValue;  // nullopt: no settings file
        std::string stamp;
    };
    const Case cases[] = {
        {"<scl VALUE>", "6"},    {"<SCL value>", "6"}, {"SCL=<SCL value>", "SCL=6"},
        {"", "SCL=6"},           {"bare", "SCL=6"},    {" <SCL value>x", "SCL=6"},
        {std::nullopt, "SCL=6"},
    };
    for (const Case& c : cases) {
        testsupport::TempFolder folder;
        if (c.fileValue)
            sinktest::WriteSettings(folder, *c.fileValue);
        sinktest::SettingsFolderScope scope(folder.path());
        EXPECT_EQ(StampOfSixDelivered(), c.stamp) << c.fileValue.value_or("(no file)");
    }
}

TEST(DisplayFormat, OverlongValueIsReadTruncatedAndSelectsSclForm) {
    testsupport::TempFolder folder;
    sinktest::WriteSettings(folder, "<SCL value>" + std::string(3000, 'x'));
    sinktest::SettingsFolderScope scope(folder.path());
    EXPECT_EQ(StampOfSixDelivered(), "SCL=6");
    EXPECT_EQ(mm::sDisplayFormat.size(), 2047u);
}

TEST(DisplayFormat, SettingsFileIsInTheLibraryFolder) {
    testsupport::TempFolder folder;
    sinktest::SettingsFolderScope scope(folder.path());
    StampOfSixDelivered();
    EXPECT_TRUE(mm::sIniFile == folder.path() + "/Morvane.ini");
    EXPECT_EQ(mm::sDisplayFormat, "");
}

TEST(DisplayFormat, ChangeAppliesToTheNextMessage) {
    testsupport::TempFolder folder;
    sinktest::SettingsFolderScope scope(folder.path());
    sinktest::WriteSettings(folder, sinktest::kBareFormat);
    EXPECT_EQ(StampOfSixDelivered(), "6");
    sinktest::WriteSettings(folder, sinktest::kSclFormat);
    EXPECT_EQ(StampOfSixDelivered(), "SCL=6");
    std::filesystem::remove(folder.File("Morvane.ini"));
    EXPECT_EQ(StampOfSixDelivered(), "SCL=6");
    EXPECT_EQ(mm::sDisplayFormat, "");
}

TEST(DisplayFormat, ThreadsKeepTheirOwnSettings) {
    testsupport::TempFolder bareFolder;
    testsupport::TempFolder sclFolder;
    sinktest::WriteSettings(bareFolder, "<scl value>");
    sinktest::WriteSettings(sclFolder, sinktest::kSclFormat);
    std::barrier bothLoaded(2);
    std::string bareFirst, bareAfter, bareFormatAfter, sclFirst, sclAfter, sclFormatAfter;
    auto run = [&](const std::string& folder, std::string& first, std::string& after,
                   std::string& formatAfter) {
        sinktest::SettingsFolderScope scope(folder);
        first = StampOfSixDelivered();
        bothLoaded.arrive_and_wait();
        formatAfter = mm::sDisplayFormat;
        // Stamp again without re-reading: the thread's own format is used.
        FakeStore store;
        FakeEventInfo info(store, Message(6));
        mm::SaveBegin(info, sinktest::kItemUrl, sinktest::kDeliveredBegin);
        after = info.Value(kComments).AppendToEmptyString();
    };
    std::thread bare(run, bareFolder.path(), std::ref(bareFirst), std::ref(bareAfter),
                     std::ref(bareFormatAfter));
    std::thread scl(run, sclFolder.path(), std::ref(sclFirst), std::ref(sclAfter),
                    std::ref(sclFormatAfter));
    bare.join();
    scl.join();
    EXPECT_EQ(bareFirst, "6");
    EXPECT_EQ(bareAfter, "6");
    EXPECT_EQ(bareFormatAfter, "<scl value>");
    EXPECT_EQ(sclFirst, "SCL=6");
    EXPECT_EQ(sclAfter, "SCL=6");
    EXPECT_EQ(sclFormatAfter, "SCL=<SCL value>");
}

// Paths are compared, never printed.
TEST(LibraryFolder, IsTheFolderOfTheFileHoldingTheLibrary) {
    // Linked into this test program, the library's file is the program.
    std::filesystem::path program = std::filesystem::canonical("/proc/self/exe");
    EXPECT_TRUE(LibraryFolder() == program.parent_path().string());
    EXPECT_TRUE(SettingsFolder() == LibraryFolder());
}

TEST(LibraryFolder, OverrideAppliesToTheCallingThreadOnly) {
    SetSettingsFolderOverride("/elsewhere");
    std::string otherThread;
    std::thread([&] { otherThread = SettingsFolder(); }).join();
    EXPECT_EQ(SettingsFolder(), "/elsewhere");
    EXPECT_TRUE(otherThread == LibraryFolder());
    SetSettingsFolderOverride(std::nullopt);
    EXPECT_TRUE(SettingsFolder() == LibraryFolder());
}

}  // namespace
