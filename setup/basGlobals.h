#pragma once

#include <string>

// Values shared by the whole setup program.
namespace setup::basGlobals {

// The product word: the COM+ application's name and the base name of the
// library, its ProgID and the settings file.
inline constexpr const char* kProductWord = "Morvane";

// The sink library's ProgID, "Morvane.MorvaneCls".
inline std::string SinkProgId() {
    return std::string(kProductWord) + "." + kProductWord + "Cls";
}

// The operating-system name found at start-up (modGetWindowsVersion); the
// COM+ installation reads it again.
inline std::string sWindowsVersion;

}  // namespace setup::basGlobals
