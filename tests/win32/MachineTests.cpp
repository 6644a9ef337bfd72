// The environment probes, the file system and shell ports and the sink's
// event source through the real Win32 calls. The runner sets wine to
// report Windows Server 2003.
#include <cstring>
#include <utility>

#include "platform/EventLog.h"
#include "platform/FileSystem.h"
#include "platform/Machine.h"
#include "platform/Shell.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WindowsHeaders.h"
#include "setup/Cluster.h"
#include "setup/ComPlus.h"
#include "setup/basRegistry.h"
#include "setup/basis64bit.h"
#include "setup/modGetWindowsVersion.h"
#include "tests/win32/Check.h"
#include "tests/win32/RegistryText.h"
#include "tests/win32/TempDirectory.h"

// The ports' member names, not the Windows headers' macros.
#undef GetVersionEx
#undef GetUserName
#undef ShellExecute

namespace {

void WindowsVersion() {
    platform::Machine& machine = platform::SystemMachine();
    check::ExpectEqual("wine set to Windows Server 2003", "Windows 2003",
                       setup::modGetWindowsVersion::GetWindowsVersion(machine));
    platform::OsVersionInfo info;
    info.dwOSVersionInfoSize = 156;
    check::Expect("a record of another size is refused", !machine.GetVersionEx(info));
    check::ExpectEqual("and left alone", 0, info.dwMajorVersion);
}

void ProcessAndRegistry() {
    platform::Machine& machine = platform::SystemMachine();
    check::Expect("kernel32 has IsWow64Process",
                  machine.HasProcedure("kernel32", "IsWow64Process"));
    check::Expect("an unknown function is not found",
                  !machine.HasProcedure("kernel32", "NoSuchFunction"));
    check::Expect("a 64-bit process is not under WOW64", !setup::basis64bit::Is64bit(machine));
    check::Expect(
        "HKEY_LOCAL_MACHINE\\Software exists",
        setup::basRegistry::RegKeyExists(machine, platform::HKEY_LOCAL_MACHINE_VALUE, "Software"));
    check::Expect("a missing key does not",
                  !setup::basRegistry::RegKeyExists(machine, platform::HKEY_LOCAL_MACHINE_VALUE,
                                                    "Software\\Morvane\\NoSuchKey"));
    check::ExpectEqual("closing an unknown handle", ERROR_INVALID_HANDLE, machine.RegCloseKey(999));
    check::Expect("no cluster key: not a cluster node", !setup::Cluster::IsClusterNode(machine));
    HKEY cluster = nullptr;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Cluster", 0, nullptr, 0, KEY_WRITE, nullptr, &cluster,
                    nullptr);
    RegCloseKey(cluster);
    check::Expect("with the key: a cluster node", setup::Cluster::IsClusterNode(machine));
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Cluster");
}

void UserName() {
    char expected[256] = {};
    DWORD expectedSize = sizeof expected;
    GetUserNameA(expected, &expectedSize);
    std::string buffer(255, 'x');
    uint32_t size = 255;
    platform::Machine& machine = platform::SystemMachine();
    check::ExpectEqual("GetUserName succeeds", ERROR_SUCCESS, machine.GetUserName(buffer, size));
    check::ExpectEqual("the size counts the NUL", static_cast<long long>(expectedSize), size);
    check::ExpectEqual("the name", expected, buffer.substr(0, size - 1));
    check::Expect("a NUL follows the name and the rest is kept",
                  buffer[size - 1] == '\0' && buffer[size] == 'x');
    std::string tiny(1, 'x');
    uint32_t tinySize = 1;
    check::ExpectEqual("a buffer too small fails with its error", ERROR_INSUFFICIENT_BUFFER,
                       machine.GetUserName(tiny, tinySize));
    check::ExpectEqual("and says the size needed", static_cast<long long>(expectedSize), tinySize);
    const platform::ComError error = machine.SystemError(ERROR_INSUFFICIENT_BUFFER);
    check::ExpectEqual("the error's number", -2147024774, error.number());
    check::Expect("in the system's words",
                  !error.description().empty() && error.description() != "Automation error",
                  error.description());
}

void FileSystemPort() {
    platform::FileSystem& files = platform::SystemFileSystem();
    check::ExpectEqual("the program folder", testsupport_win32::ProgramFolder(),
                       files.ProgramFolder());
    testsupport_win32::TempDirectory folder;
    std::string before = files.CurrentDirectory();
    files.ChangeDirectory(folder.path());
    check::Expect("ChangeDirectory makes the folder current",
                  _stricmp(files.CurrentDirectory().c_str(), folder.path().c_str()) == 0,
                  files.CurrentDirectory());
    check::ExpectComError(
        "a missing folder is 'Path not found'", 76,
        [&] { files.ChangeDirectory(folder.path() + "\\missing"); }, "Path not found");
    files.ChangeDirectory(before);
    std::string plain = files.JoinPath(folder.path(), "Morvane.dll");
    std::string hidden = files.JoinPath(folder.path(), "hidden.dll");
    CloseHandle(CreateFileA(plain.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    CloseHandle(CreateFileA(hidden.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_HIDDEN, nullptr));
    check::Expect("an ordinary file exists", files.NormalFileExists(plain));
    check::Expect("a hidden file does not count", !files.NormalFileExists(hidden));
    check::Expect("a folder does not count", !files.NormalFileExists(folder.path()));
    SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_NORMAL);
    check::ExpectEqual("the library file name", "Morvane.dll", files.LibraryFileName("Morvane"));
}

void ShellPort() {
    platform::Shell& shell = platform::SystemShell();
    testsupport_win32::TempDirectory folder;
    intptr_t result = shell.ShellExecute("open", folder.path() + "\\missing.xyz", "", "",
                                         platform::SW_SHOWNORMAL_VALUE);
    check::Expect("a missing document is reported with a value of 32 or less", result <= 32,
                  std::to_string(result));
    shell.SetSystemCursor(platform::IDC_HAND_VALUE);
    check::Expect("the hand cursor is set", GetCursor() == LoadCursorA(nullptr, IDC_HAND));
    shell.SetSystemCursor(32514);
    check::Expect("the hourglass is set", GetCursor() == LoadCursorA(nullptr, IDC_WAIT));
}

// A value of the sink's event source key: its type and text; type 0 when
// the key or the value is missing.
std::pair<DWORD, std::string> SourceValue(const wchar_t* name) {
    wchar_t data[1024] = {};
    DWORD size = sizeof data - sizeof(wchar_t), type = 0;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                      L"SYSTEM\\CurrentControlSet\\Services\\Eventlog\\Application\\Morvane", 0,
                      KEY_READ, &key) != ERROR_SUCCESS)
        return {0, ""};
    RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    DWORD number = 0;
    std::memcpy(&number, data, sizeof number);
    return {type, type == REG_DWORD ? std::to_string(number) : platform::win32::WideToUtf8(data)};
}

// An installation the catalog refuses (as under wine) leaves no event
// source behind; start-up's addition for an application without one writes
// the library in the current folder as its message file, once however often
// it runs; the complete uninstall's step removes it, once or twice.
void EventSource() {
    setup::forms::TextBox txtErr{"txtErr"};
    setup::forms::CommandButton command3{"Command3"};
    setup::ErrorLog log{txtErr, command3, platform::SystemClock()};
    platform::FileSystem& files = platform::SystemFileSystem();
    setup::ComPlus::ComPlusPorts ports{platform::catalog::SystemCatalog(), files, log,
                                       platform::SystemEventSources()};
    setup::ComPlus::InstallComPlusApp(ports, "Morvane", "tester");
    check::Expect("a refused installation leaves no source",
                  SourceValue(L"TypesSupported").first == 0);
    setup::ComPlus::AddMissingEventSource(ports, "Morvane", "tester");
    setup::ComPlus::AddMissingEventSource(ports, "Morvane", "tester");
    const auto library = files.JoinPath(files.CurrentDirectory(), "Morvane.dll");
    check::Expect(
        "EventMessageFile names the library in the current folder",
        SourceValue(L"EventMessageFile") == std::make_pair(DWORD{REG_EXPAND_SZ}, library));
    check::Expect(
        "TypesSupported is error, warning and information",
        SourceValue(L"TypesSupported") == std::make_pair(DWORD{REG_DWORD}, std::string("7")));
    setup::ComPlus::RemoveEventSource(ports, "Morvane", "tester");
    setup::ComPlus::RemoveEventSource(ports, "Morvane", "tester");
    check::Expect("the removal takes the key away", SourceValue(L"TypesSupported").first == 0);
    check::Expect("only the COM+ application logged a failure",
                  log.Text().find("event source") == std::string::npos, log.Text());
}

}  // namespace

int main() {
    check::Group("Windows version", WindowsVersion);
    check::Group("process and registry", ProcessAndRegistry);
    check::Group("user name", UserName);
    check::Group("file system", FileSystemPort);
    check::Group("shell", ShellPort);
    check::Group("event source", EventSource);
    return check::Finish();
}
