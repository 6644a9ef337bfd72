#pragma once

#include <cstdint>
#include <string>

#include "platform/Machine.h"

// The name of the Windows version the program runs on.
namespace setup::modGetWindowsVersion {

// The name for a platform id and version numbers: "Windows 95" ...
// "Windows 2003", "" for a version not known here, "Failed" for any other
// platform id (also 0, what a failed call leaves).
std::string WindowsVersionName(uint32_t platformId, uint32_t major, uint32_t minor);

// Asks GetVersionExA and names the version.
std::string GetWindowsVersion(platform::Machine& machine);

}  // namespace setup::modGetWindowsVersion
