#pragma once

#include "platform/Profile.h"

namespace platform::win32 {

// The Windows profile functions, with the core's UTF-8 texts converted to
// the ANSI code page and back.
class Win32Profile : public Profile {
  public:
    uint32_t GetPrivateProfileString(const std::string& section, const std::string& key,
                                     const std::string& defaultValue, std::string& buffer,
                                     uint32_t size, const std::string& file) override;
    bool WritePrivateProfileString(const std::string& section, const std::string& key,
                                   const std::string& value, const std::string& file) override;
};

}  // namespace platform::win32
