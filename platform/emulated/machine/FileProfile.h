#pragma once

#include "platform/Profile.h"

namespace platform::emulated {

// Profile files with the behaviour of the Windows profile functions
// (ProfileText.h, UTF-16LE files included), read and written as files. Nothing is cached: every
// read sees the file as it is now, and every write replaces the whole file atomically, so a reader
// never sees half a file.
class FileProfile : public Profile {
  public:
    uint32_t GetPrivateProfileString(const std::string& section, const std::string& key,
                                     const std::string& defaultValue, std::string& buffer,
                                     uint32_t size, const std::string& file) override;
    bool WritePrivateProfileString(const std::string& section, const std::string& key,
                                   const std::string& value, const std::string& file) override;
};

}  // namespace platform::emulated
