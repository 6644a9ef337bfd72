#pragma once

#include <string>

#include "platform/Profile.h"

// The profile-file functions shared by the sink library and the setup
// program.
namespace basIniFile {

// The value stored under key in section of file, or defaultValue when there
// is none; at most 2047 characters come back.
std::string ReadIniString(const std::string& section, const std::string& key,
                          const std::string& defaultValue, const std::string& file);

// Stores the value; creates the file and the section when needed. An entry
// that a profile file cannot hold as one line of its own (a line break or
// NUL anywhere, an empty section or key, '=' in the key, a key starting with
// ';' or '[') is not written, so it can never change other entries. Whether
// the write worked is not reported.
void WriteIniString(const std::string& section, const std::string& key, const std::string& value,
                    const std::string& file);

// The same, through a given profile port.
std::string ReadIniString(platform::Profile& profile, const std::string& section,
                          const std::string& key, const std::string& defaultValue,
                          const std::string& file);
void WriteIniString(platform::Profile& profile, const std::string& section, const std::string& key,
                    const std::string& value, const std::string& file);

}  // namespace basIniFile
