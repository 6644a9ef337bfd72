#pragma once

#include <optional>
#include <string>

namespace testsupport_win32 {

// The string value of a key under HKEY_CLASSES_ROOT (name empty: the
// default value); nullopt when the key or the value is missing.
std::optional<std::string> ClassesRootValue(const std::string& key, const std::string& name = "");
bool ClassesRootKeyExists(const std::string& key);

// The folder of the running program, without a trailing backslash.
std::string ProgramFolder();

}  // namespace testsupport_win32
