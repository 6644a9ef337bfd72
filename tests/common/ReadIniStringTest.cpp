#include <gtest/gtest.h>

#include "common/basIniFile.h"
#include "tests/support/TempFolder.h"

using basIniFile::ReadIniString;
using basIniFile::WriteIniString;
using testsupport::ReadFile;
using testsupport::TempFolder;
using testsupport::WriteFile;

namespace {

const std::string kSection = "Morvane Settings";
const std::string kKey = "SCLDisplayFormat";

TEST(ReadIniString, NoFileGivesTheDefault) {
    TempFolder folder;
    EXPECT_EQ(ReadIniString(kSection, kKey, "", folder.File("Morvane.ini")), "");
    EXPECT_EQ(ReadIniString(kSection, kKey, "SCL=<SCL value>", folder.File("Morvane.ini")),
              "SCL=<SCL value>");
}

TEST(ReadIniString, ValueIsReadBackAsWritten) {
    TempFolder folder;
    std::string file = folder.File("Morvane.ini");
    WriteIniString(kSection, kKey, "<scl VALUE>", file);
    EXPECT_EQ(ReadIniString(kSection, kKey, "", file), "<scl VALUE>");
}

TEST(ReadIniString, AtMost2047CharactersComeBack) {
    TempFolder folder;
    std::string file = folder.File("Morvane.ini");
    WriteFile(file, "[Morvane Settings]\r\nSCLDisplayFormat=" + std::string(3000, 'x') + "\r\n");
    EXPECT_EQ(ReadIniString(kSection, kKey, "", file), std::string(2047, 'x'));
}

TEST(ReadIniString, EmptyValueIsEmptyNotTheBlankBuffer) {
    TempFolder folder;
    std::string file = folder.File("Morvane.ini");
    WriteFile(file, "[Morvane Settings]\r\nSCLDisplayFormat=\r\n");
    EXPECT_EQ(ReadIniString(kSection, kKey, "dflt", file), "");
}

TEST(WriteIniString, AFailedWriteIsNotReported) {
    TempFolder folder;
    // No exception, no result: the caller learns nothing, as designed.
    WriteIniString(kSection, kKey, "v", folder.File("missing/Morvane.ini"));
    EXPECT_EQ(ReadIniString(kSection, kKey, "none", folder.File("missing/Morvane.ini")), "none");
}

// Entries a profile file cannot hold as one line are not written: before,
// a value with a line break added a section of its own and hid the real
// one's keys, and a key like "[Other]" hid a whole section.
class WriteIniStringRefusal : public ::testing::Test {
  protected:
    void SetUp() override { WriteFile(file, kFile); }

    TempFolder folder;
    std::string file = folder.File("Morvane.ini");
    static constexpr const char* kFile =
        "[Morvane Settings]\r\nSCLDisplayFormat=SCL=<SCL value>\r\n[Other]\r\nk=kept\r\n";
};

TEST_F(WriteIniStringRefusal, ALineBreakInTheValueCannotAddOrHideEntries) {
    for (const char* value :
         {"x\r\n[Other]\r\nk=injected", "x\n[Other]\nk=injected", "x\r[Other]\rk=injected"}) {
        WriteIniString(kSection, kKey, value, file);
        EXPECT_EQ(ReadFile(file), kFile);
        EXPECT_EQ(ReadIniString("Other", "k", "", file), "kept");
        EXPECT_EQ(ReadIniString(kSection, kKey, "", file), "SCL=<SCL value>");
    }
}

TEST_F(WriteIniStringRefusal, ALineBreakInTheSectionOrKeyIsRefused) {
    WriteIniString("Morvane Settings]\r\n[Other", kKey, "v", file);
    WriteIniString(kSection, "SCLDisplayFormat\r\n[Other]\r\nk", "v", file);
    EXPECT_EQ(ReadFile(file), kFile);
}

TEST_F(WriteIniStringRefusal, AKeyThatWouldReadAsSomethingElseIsRefused) {
    WriteIniString(kSection, "[Other]", "", file);  // would hide [Other]
    WriteIniString(kSection, "a=b", "c", file);     // would read as key "a"
    WriteIniString(kSection, " ;note", "c", file);  // would read as a comment
    EXPECT_EQ(ReadFile(file), kFile);
    EXPECT_EQ(ReadIniString("Other", "k", "", file), "kept");
}

TEST_F(WriteIniStringRefusal, ANulOrAnEmptyNameIsRefused) {
    WriteIniString(kSection, kKey, std::string("SCL\0x", 5), file);
    WriteIniString(" \t", kKey, "v", file);
    WriteIniString(kSection, "  ", "v", file);
    EXPECT_EQ(ReadFile(file), kFile);
}

TEST_F(WriteIniStringRefusal, EntriesOnOneLineAreStillWritten) {
    // Brackets, quotes and '=' inside a value or a section name are fine.
    WriteIniString("Other]", "k", "a=[b]", file);
    WriteIniString(kSection, "key[1]", "\"quoted\"", file);
    EXPECT_EQ(ReadIniString("Other]", "k", "", file), "a=[b]");
    EXPECT_EQ(ReadIniString(kSection, "key[1]", "", file), "quoted");
    EXPECT_EQ(ReadIniString("Other", "k", "", file), "kept");
}

}  // namespace
