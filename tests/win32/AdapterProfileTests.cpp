// The profile functions through the real Win32 calls.
#include <utility>
#include <vector>

#include "common/basIniFile.h"
#include "platform/Profile.h"
#include "platform/emulated/machine/ProfileText.h"
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

// The emulated profile functions against the real ones, over the same
// hand-picked files, each behaviour one the platform documents: line ends,
// quotes, comments, duplicate sections and keys, letter case and blanks,
// long lines, and UTF-16LE files with their byte-order mark.
struct ProfileCase {
    std::string name;
    std::string bytes;
    // Whether every line stands as the platform writes it (names trimmed),
    // so that a rewrite gives the same bytes: how the platform spells lines
    // it did not change is not documented.
    bool platformSpelling = true;
};

std::string Utf16Le(const std::string& ascii) {
    std::string bytes = "\xFF\xFE";
    for (char c : ascii)
        bytes += std::string{c, '\0'};
    return bytes;
}

std::vector<ProfileCase> HandPickedFiles() {
    return {
        {"crlf", "[Morvane Settings]\r\nSCLDisplayFormat=SCL=<SCL value>\r\n"},
        {"cr-lf-mixed", "[s]\ra=1\nb=2\r\nc=3"},
        {"quotes",
         "[s]\nd=\"SCL=<SCL value>\"\ns='<SCL value>'\nm=\"mixed'\nn=\"\"x\"\"\nc=v ;x\n"},
        {"comments", "[s]\n;k=commented\nbare\n[broken\nx=1\n"},
        {"duplicates", "[s]\nk=first\nk=second\n[S]\nk=third\nother=later\n"},
        {"case-and-blanks", "  [ morvane SETTINGS ]  \n  sclDISPLAYformat   =   <scl VALUE>   \n",
         false},
        {"long-line", "[s]\nk=" + std::string(3000, 'a') + "\nc=after\n"},
        {"utf16le", Utf16Le("[Morvane Settings]\r\nSCLDisplayFormat=<SCL value>\r\n[s]\r\n"
                            "k=\"quoted\"\r\n") +
                        std::string("W\0o\0r\0d\0=\0G\0r\0\xFC\0\xDF\0e\0\r\0\n\0", 24)},
    };
}

const std::vector<std::pair<std::string, std::string>> kProbes = {
    {"Morvane Settings", "SCLDisplayFormat"},
    {"morvane settings", "scldisplayformat"},
    {"s", "a"},
    {"s", "b"},
    {"s", "c"},
    {"s", "d"},
    {"s", "s"},
    {"s", "m"},
    {"s", "n"},
    {"s", "k"},
    {"s", "bare"},
    {"s", "x"},
    {"s", "other"},
    {"s", "Word"},
    {"Added", "k"},
};

std::string RealRead(const std::string& file, const std::string& section, const std::string& key) {
    std::string buffer;
    platform::SystemProfile().GetPrivateProfileString(section, key, "<none>", buffer, 4096, file);
    return buffer;
}

void ReadsAgree(const testsupport_win32::TempDirectory& folder, const ProfileCase& file) {
    const std::string path = folder.WriteFile(file.name + ".ini", file.bytes);
    for (const auto& [section, key] : kProbes) {
        check::ExpectEqual(
            file.name + ": read of " + section + "/" + key, RealRead(path, section, key),
            platform::emulated::ProfileValue(file.bytes, section, key).value_or("<none>"));
    }
}

// A write through each, then every probe read back through the real
// functions: the same values, and the file keeps its encoding.
void WritesAgree(const testsupport_win32::TempDirectory& folder, const ProfileCase& file,
                 const std::string& section, const std::string& key, const std::string& value) {
    const std::string label = file.name + ": write of " + section + "/" + key;
    const std::string real = folder.WriteFile(file.name + "-real.ini", file.bytes);
    check::Expect(label + " succeeds",
                  platform::SystemProfile().WritePrivateProfileString(section, key, value, real));
    const std::string emulated =
        folder.WriteFile(file.name + "-emulated.ini",
                         platform::emulated::ProfileWithValue(file.bytes, section, key, value));
    const std::string realBytes = folder.ReadFile(file.name + "-real.ini");
    const std::string emulatedBytes = folder.ReadFile(file.name + "-emulated.ini");
    check::ExpectEqual(label + ", the encoding", realBytes.substr(0, 2) == "\xFF\xFE",
                       emulatedBytes.substr(0, 2) == "\xFF\xFE");
    if (file.platformSpelling)
        check::ExpectEqual(label + ", the bytes", realBytes, emulatedBytes);
    for (const auto& [probeSection, probeKey] : kProbes) {
        check::ExpectEqual(label + ", then " + probeSection + "/" + probeKey,
                           RealRead(real, probeSection, probeKey),
                           RealRead(emulated, probeSection, probeKey));
    }
}

void EmulationAgreesWithThePlatform() {
    testsupport_win32::TempDirectory folder;
    for (const ProfileCase& file : HandPickedFiles())
        ReadsAgree(folder, file);
    const std::string word =
        "Gr\xC3\xBC\xC3\x9F"
        "e";
    for (const ProfileCase& file : HandPickedFiles()) {
        WritesAgree(folder, file, "Morvane Settings", "SCLDisplayFormat", "SCL:<SCL value>");
        WritesAgree(folder, file, "s", "k", "new");
        // Text beyond ASCII only where both sides hold it as the same
        // characters: the emulation's 8-bit files are UTF-8, the platform's
        // the ANSI code page.
        WritesAgree(folder, file, "Added", "k", file.name == "utf16le" ? word : "v");
    }
    WritesAgree(folder, {"new-file", ""}, "Morvane Settings", "SCLDisplayFormat", "x");
}

}  // namespace

void RunProfileTests() {
    check::Group("profile functions", WriteAndRead);
    check::Group("profile texts", NonAsciiAndSharedModule);
    check::Group("profile emulation against the platform", EmulationAgreesWithThePlatform);
}
