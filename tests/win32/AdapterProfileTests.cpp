// The profile functions through the real Win32 calls.
#include "common/basIniFile.h"
#include "platform/Profile.h"
#include "tests/win32/AdapterTests.h"
#include "tests/win32/Check.h"
#include "tests/win32/TempDirectory.h"

namespace {

void WriteAndRead() {
    testsupport_win32::TempDirectory folder;
    const std::string file = folder.path() + "\\Morvane.ini";
    platform::Profile& profile = platform::SystemProfile();
    check::Expect("a write creates the file and the section",
                  profile.WritePrivateProfileString("Morvane Settings", "SCLDisplayFormat",
                                                    "<SCL value>", file));
    check::ExpectEqual("the file holds the section and the key",
                       "[Morvane Settings]\r\nSCLDisplayFormat=<SCL value>\r\n",
                       folder.ReadFile("Morvane.ini"));
    std::string buffer;
    check::ExpectEqual("the count of a read", 11,
                       profile.GetPrivateProfileString("morvane settings", "sclDISPLAYformat", "x",
                                                       buffer, 2048, file));
    check::ExpectEqual("section and key ignore case", "<SCL value>", buffer);
    profile.GetPrivateProfileString("Morvane Settings", "Missing", "fallback", buffer, 2048, file);
    check::ExpectEqual("a missing key gives the default", "fallback", buffer);
    check::ExpectEqual("a small buffer cuts to size - 1", 3,
                       profile.GetPrivateProfileString("Morvane Settings", "SCLDisplayFormat", "",
                                                       buffer, 4, file));
    check::ExpectEqual("the cut value", "<SC", buffer);
    check::Expect("a write into a missing folder fails",
                  !profile.WritePrivateProfileString("S", "K", "V",
                                                     folder.path() + "\\missing\\Morvane.ini"));
}

void NonAsciiAndSharedModule() {
    testsupport_win32::TempDirectory folder;
    const std::string file = folder.path() + "\\Morvane.ini";
    const std::string value =
        "Gr\xC3\xBC\xC3\x9F"
        "e";
    basIniFile::WriteIniString("Morvane Settings", "Word", value, file);
    check::ExpectEqual("a Latin-1 value survives the ANSI file", value,
                       basIniFile::ReadIniString("Morvane Settings", "Word", "", file));
    check::ExpectEqual("the file holds the value in the ANSI code page",
                       "[Morvane Settings]\r\nWord=Gr\xFC\xDF"
                       "e\r\n",
                       folder.ReadFile("Morvane.ini"));
    check::ExpectEqual("a missing file gives the default", "<SCL value>",
                       basIniFile::ReadIniString("Morvane Settings", "SCLDisplayFormat",
                                                 "<SCL value>", folder.path() + "\\none.ini"));
}

}  // namespace

void RunProfileTests() {
    check::Group("profile functions", WriteAndRead);
    check::Group("profile texts", NonAsciiAndSharedModule);
}
