#include "setup/modGetWindowsVersion.h"

#include "platform/ComError.h"

namespace setup::modGetWindowsVersion {

namespace {

constexpr uint32_t kPlatformWindows = 1;  // the Windows 9x family
constexpr uint32_t kPlatformNt = 2;

std::string Windows9xName(uint32_t minor) {
    switch (minor) {
        case 0:
            return "Windows 95";
        case 10:
            return "Windows 98";
        case 90:
            return "Windows Millennium";
        default:
            return "";
    }
}

std::string WindowsNtName(uint32_t major, uint32_t minor) {
    switch (major) {
        case 3:
            return "Windows NT 3.51";
        case 4:
            return "Windows NT 4.0";
        case 5:
            if (minor == 0) {
                return "Windows 2000";
            }
            return minor == 2 ? "Windows 2003" : "Windows XP";
        default:
            return "";
    }
}

}  // namespace

std::string WindowsVersionName(uint32_t platformId, uint32_t major, uint32_t minor) {
    if (platformId == kPlatformWindows) {
        return Windows9xName(minor);
    }
    if (platformId == kPlatformNt) {
        return WindowsNtName(major, minor);
    }
    return "Failed";
}

std::string GetWindowsVersion(platform::Machine& machine) {
    platform::OsVersionInfo info;
    info.dwOSVersionInfoSize = platform::OsVersionInfo::kAnsiSize;
    info.szCSDVersion = std::string(128, ' ');
    try {
        machine.GetVersionEx(info);
    } catch (const platform::ComError&) {
        // A machine whose facts cannot be read counts as a failed call: the
        // numbers stay 0.
        info = platform::OsVersionInfo{};
    }
    return WindowsVersionName(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
}

}  // namespace setup::modGetWindowsVersion
