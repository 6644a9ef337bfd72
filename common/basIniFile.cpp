#include "common/basIniFile.h"

namespace basIniFile {

namespace {
constexpr uint32_t kBufferSize = 2048;
}

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
