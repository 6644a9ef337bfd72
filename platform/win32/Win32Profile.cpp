// The port is declared before the Windows headers turn its member names
// into macros; they are undone right after.
#include "platform/win32/Win32Profile.h"

#include <vector>

#include "platform/win32/WideText.h"
#include "platform/win32/WindowsHeaders.h"

#undef GetPrivateProfileString
#undef WritePrivateProfileString

namespace platform::win32 {

uint32_t Win32Profile::GetPrivateProfileString(const std::string& section, const std::string& key,
                                               const std::string& defaultValue, std::string& buffer,
                                               uint32_t size, const std::string& file) {
    std::vector<char> ansi(size + 1, '\0');
    DWORD count = ::GetPrivateProfileStringA(Utf8ToAnsi(section).c_str(), Utf8ToAnsi(key).c_str(),
                                             Utf8ToAnsi(defaultValue).c_str(), ansi.data(), size,
                                             Utf8ToAnsi(file).c_str());
    buffer = AnsiToUtf8(std::string_view(ansi.data(), count));
    return static_cast<uint32_t>(buffer.size());
}

bool Win32Profile::WritePrivateProfileString(const std::string& section, const std::string& key,
                                             const std::string& value, const std::string& file) {
    return ::WritePrivateProfileStringA(Utf8ToAnsi(section).c_str(), Utf8ToAnsi(key).c_str(),
                                        Utf8ToAnsi(value).c_str(),
                                        Utf8ToAnsi(file).c_str()) != FALSE;
}

}  // namespace platform::win32

namespace platform {

Profile& SystemProfile() {
    static win32::Win32Profile profile;
    return profile;
}

}  // namespace platform
