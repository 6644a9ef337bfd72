// The profile functions as the platform behaves, against real files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/Profile.h"
#include "tests/support/TempFolder.h"

using testsupport::ReadFile;
using testsupport::TempFolder;
using testsupport::WriteFile;

namespace {

class ProfileFile : public ::testing::Test {
  protected:
    std::string Get(const std::string& section, const std::string& key, const std::string& def = "",
                    uint32_t size = 2048) {
        std::string buffer;
        count = platform::SystemProfile().GetPrivateProfileString(section, key, def, buffer, size,
                                                                  file);
        return buffer;
    }
    bool Put(const std::string& section, const std::string& key, const std::string& value) {
        return platform::SystemProfile().WritePrivateProfileString(section, key, value, file);
    }

    TempFolder folder;
    std::string file = folder.File("Morvane.ini");
    uint32_t count = 0;
};

TEST_F(ProfileFile, MissingFileSectionOrKeyGiveTheDefaultWithTrailingBlanksCut) {
    EXPECT_EQ(Get("Morvane Settings", "SCLDisplayFormat", "dflt  "), "dflt");
    EXPECT_EQ(count, 4u);
    WriteFile(file, "[Other]\r\nSCLDisplayFormat=x\r\n[Morvane Settings]\r\nk=v\r\n");
    EXPECT_EQ(Get("Morvane Settings", "SCLDisplayFormat", ""), "");
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(Get("Missing", "k", "d"), "d");
}

TEST_F(ProfileFile, NamesAreTrimmedAndCompareWithoutCase) {
    WriteFile(file, "  [ morvane SETTINGS ]  \n  sclDISPLAYformat   =   <scl VALUE>   \n");
    EXPECT_EQ(Get("Morvane Settings", "SCLDisplayFormat"), "<scl VALUE>");
    EXPECT_EQ(Get(" Morvane Settings ", " SCLDisplayFormat "), "<scl VALUE>");
}

TEST_F(ProfileFile, LinesMayEndInCrLfOrCrLf) {
    WriteFile(file, "[s]\ra=1\nb=2\r\nc=3");
    EXPECT_EQ(Get("s", "a"), "1");
    EXPECT_EQ(Get("s", "b"), "2");
    EXPECT_EQ(Get("s", "c"), "3");
}

TEST_F(ProfileFile, OnePairOfMatchingQuotesIsRemoved) {
    WriteFile(file,
              "[s]\nd=\"SCL=<SCL value>\"\ns='<SCL value>'\nm=\"mixed'\nn=\"\"x\"\"\nc=v ;x\n");
    EXPECT_EQ(Get("s", "d"), "SCL=<SCL value>");
    EXPECT_EQ(Get("s", "s"), "<SCL value>");
    EXPECT_EQ(Get("s", "m"), "\"mixed'");
    EXPECT_EQ(Get("s", "n"), "\"x\"");
    EXPECT_EQ(Get("s", "c"), "v ;x");
}

TEST_F(ProfileFile, FirstSectionAndFirstKeyWin) {
    WriteFile(file, "[s]\nk=first\nk=second\n[S]\nk=third\nother=found-only-later\n");
    EXPECT_EQ(Get("s", "k"), "first");
    // Only the first section of a name is searched.
    EXPECT_EQ(Get("s", "other", "none"), "none");
}

TEST_F(ProfileFile, CommentsAndLinesWithoutEqualsDefineNoKey) {
    WriteFile(file, "[s]\n;k=commented\nk\n[broken\nx=1\n");
    EXPECT_EQ(Get("s", "k", "d"), "d");
    EXPECT_EQ(Get("s", ";k", "d"), "d");
    // A '[' line without ']' is an ordinary line, so x still belongs to [s].
    EXPECT_EQ(Get("s", "x"), "1");
}

TEST_F(ProfileFile, ValueLongerThanTheBufferIsCutToSizeMinusOne) {
    WriteFile(file, "[s]\nk=" + std::string(3000, 'a') + "\n");
    EXPECT_EQ(Get("s", "k", "", 2048).size(), 2047u);
    EXPECT_EQ(count, 2047u);
    EXPECT_EQ(Get("s", "k", "", 1), "");
    EXPECT_EQ(count, 0u);
}

TEST_F(ProfileFile, WriteCreatesFileAndSectionWithCrLf) {
    ASSERT_TRUE(Put("Morvane Settings", "SCLDisplayFormat", "SCL=<SCL value>"));
    EXPECT_EQ(ReadFile(file), "[Morvane Settings]\r\nSCLDisplayFormat=SCL=<SCL value>\r\n");
}

TEST_F(ProfileFile, WriteKeepsOtherSectionsCommentsAndKeyOrder) {
    WriteFile(file,
              "; settings\n[First]\na=1\n\n[Morvane Settings]\n; the format\nSCLDisplayFormat=x\n"
              "after=2\n\n[Last]\nz=9\n");
    ASSERT_TRUE(Put("morvane settings", "scldisplayformat", "<SCL value>"));
    ASSERT_TRUE(Put("Morvane Settings", "NewKey", "n"));
    ASSERT_TRUE(Put("Added", "k", "v"));
    EXPECT_EQ(ReadFile(file),
              "; settings\r\n[First]\r\na=1\r\n[Morvane Settings]\r\n; the format\r\n"
              "SCLDisplayFormat=<SCL value>\r\nafter=2\r\nNewKey=n\r\n[Last]\r\nz=9\r\n"
              "[Added]\r\nk=v\r\n");
}

// ASCII text as UTF-16LE bytes.
std::string Utf16Le(const std::string& ascii) {
    std::string bytes;
    for (char c : ascii)
        bytes += std::string{c, '\0'};
    return bytes;
}

// A UTF-16LE file reads as its text, and a write keeps its encoding and
// every unit of the lines it does not touch (an unpaired surrogate too).
TEST_F(ProfileFile, Utf16LeFileIsReadAndWrittenInUtf16Le) {
    const std::string mark("\xFF\xFE", 2);
    const std::string u("\xFC\x00", 2);              // ü
    const std::string sharpS("\xDF\x00", 2);         // ß
    const std::string loneSurrogate("\x00\xD8", 2);  // U+D800 alone
    const std::string before = mark + Utf16Le("[Morvane Settings]\r\nWord=Gr") + u +
                               Utf16Le("\r\nOdd=") + loneSurrogate + Utf16Le("\r\n");
    WriteFile(file, before);
    EXPECT_EQ(Get("morvane settings", "word"), "Gr\xC3\xBC");
    ASSERT_TRUE(Put("Morvane Settings", "SCLDisplayFormat", "Gr\xC3\xBC\xC3\x9F"));
    EXPECT_EQ(ReadFile(file),
              before + Utf16Le("SCLDisplayFormat=Gr") + u + sharpS + Utf16Le("\r\n"));
    EXPECT_EQ(Get("Morvane Settings", "SCLDisplayFormat"), "Gr\xC3\xBC\xC3\x9F");
}

TEST_F(ProfileFile, WriteIntoAMissingFolderFailsAndLeavesNothing) {
    std::string missing = folder.File("no-such-folder/Morvane.ini");
    EXPECT_FALSE(platform::SystemProfile().WritePrivateProfileString("s", "k", "v", missing));
    EXPECT_FALSE(std::filesystem::exists(folder.File("no-such-folder")));
    // Nothing is left beside the settings file either.
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

TEST_F(ProfileFile, EveryReadSeesTheFileAsItIsNow) {
    ASSERT_TRUE(Put("s", "k", "one"));
    EXPECT_EQ(Get("s", "k"), "one");
    WriteFile(file, "[s]\r\nk=two\r\n");
    EXPECT_EQ(Get("s", "k"), "two");
}

// A file that comes in pieces, as a network file system may give it: a
// read that stopped at the first short piece would lose the key.
TEST_F(ProfileFile, AFileGivenInPiecesIsReadToItsEnd) {
    ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
    std::thread writer([this] {
        std::ofstream out(file, std::ios::binary);
        out << "[Morvane Settings]\r\n" << std::flush;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        out << "SCLDisplayFormat=<SCL value>\r\n";
    });
    EXPECT_EQ(Get("Morvane Settings", "SCLDisplayFormat", "SCL=<SCL value>"), "<SCL value>");
    writer.join();
}

TEST_F(ProfileFile, AReadRacingWritesNeverSeesATornFile) {
    // Long values make a torn read likely if the file were rewritten in place.
    const std::string a(4000, 'a');
    const std::string b(4000, 'b');
    ASSERT_TRUE(Put("s", "k", a));
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (int i = 0; i < 300 && !stop; ++i)
            Put("s", "k", i % 2 ? a : b);
        stop = true;
    });
    int reads = 0;
    int torn = 0;
    while (!stop) {
        std::string buffer;
        platform::SystemProfile().GetPrivateProfileString("s", "k", "missing", buffer, 8192, file);
        if (buffer != a && buffer != b)
            ++torn;
        ++reads;
    }
    writer.join();
    EXPECT_GT(reads, 0);
    EXPECT_EQ(torn, 0);
}

}  // namespace
