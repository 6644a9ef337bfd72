#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The profile-file port: the two Windows profile functions the system uses.
class Profile {
  public:
    virtual ~Profile() = default;

    // GetPrivateProfileStringA: copies the value of key in section of file
    // (or the default when there is none) into buffer, cut to size - 1
    // characters, and returns the number of characters copied. buffer holds
    // exactly the returned characters afterwards.
    virtual uint32_t GetPrivateProfileString(const std::string& section, const std::string& key,
                                             const std::string& defaultValue, std::string& buffer,
                                             uint32_t size, const std::string& file) = 0;

    // WritePrivateProfileStringA: stores the value, creating the file and
    // the section when needed. Returns false when the file cannot be written.
    virtual bool WritePrivateProfileString(const std::string& section, const std::string& key,
                                           const std::string& value, const std::string& file) = 0;
};

// The profile functions of the platform the program runs on.
Profile& SystemProfile();

}  // namespace platform
