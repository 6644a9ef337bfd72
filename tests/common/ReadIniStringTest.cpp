#include <gtest/gtest.h>

#include "common/basIniFile.h"
#include "tests/support/TempFolder.h"

using basIniFile::ReadIniString;
using basIniFile::WriteIniString;
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

}  // namespace
