#include "common/basIniFile.h"

#include <string_view>

namespace basIniFile {

namespace {

constexpr uint32_t kBufferSize = 2048;

// White space as the profile functions trim it.
bool IsProfileSpace(char c) {
    return c == ' ' || (c >= 0x09 && c <= 0x0D);
}

std::string_view TrimProfileSpace(std::string_view text) {
    while (!text.empty() && IsProfileSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsProfileSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

bool HoldsLineBreakOrNul(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// True when a profile file can hold the entry as the one line that reads
// back as this section and key. The profile functions write what they are
// given: a line break would put the rest into lines of their own, so a
// value could add keys and sections or hide existing ones; a NUL cuts the
// text short at the platform's boundary; '=' in the key ends the key early;
// a key starting with ';' or '[' reads as a comment or a section.
bool FitsOneEntry(std::string_view section, std::string_view key, std::string_view value) {
    if (HoldsLineBreakOrNul(section) || HoldsLineBreakOrNul(key) || HoldsLineBreakOrNul(value))
        return false;
    const std::string_view name = TrimProfileSpace(key);
    return !TrimProfileSpace(section).empty() && !name.empty() &&
           name.find('=') == std::string_view::npos && name.front() != ';' && name.front() != '[';
}

}  // namespace

std::string ReadIniString(platform::Profile& profile, const std::string& section,
                          const std::string& key, const std::string& defaultValue,
                          const std::string& file) {
    std::string buffer(kBufferSize, ' ');
    uint32_t count =
        profile.GetPrivateProfileString(section, key, defaultValue, buffer, kBufferSize, file);
    if (count == 0)
        return "";
    return buffer.substr(0, count);
}

void WriteIniString(platform::Profile& profile, const std::string& section, const std::string& key,
                    const std::string& value, const std::string& file) {
    if (!FitsOneEntry(section, key, value))
        return;
    profile.WritePrivateProfileString(section, key, value, file);
}

std::string ReadIniString(const std::string& section, const std::string& key,
                          const std::string& defaultValue, const std::string& file) {
    return ReadIniString(platform::SystemProfile(), section, key, defaultValue, file);
}

void WriteIniString(const std::string& section, const std::string& key, const std::string& value,
                    const std::string& file) {
    WriteIniString(platform::SystemProfile(), section, key, value, file);
}

}  // namespace basIniFile
