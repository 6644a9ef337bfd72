#pragma once

#include <string>

// The machine's files as the Windows build names them: the emulated
// server's Wine prefix, and paths as Windows programs in that prefix write
// them.
namespace platform::emulated::wine {

// The Wine prefix of the current server: $MORVANE_WINEPREFIX when set,
// else the folder "wine" of the server's folder.
std::string PrefixFolder();

// The Linux path of a Windows path with a drive letter, through the
// prefix's drive links ("Z:\tmp\a.dll" is "/tmp/a.dll" in a fresh prefix);
// any other text comes back unchanged.
std::string UnixPath(const std::string& windowsPath, const std::string& prefixFolder);
// The Windows path of a Linux path, through the drive Z: that Wine maps to
// the root folder.
std::string WindowsPath(const std::string& unixPath);

}  // namespace platform::emulated::wine
