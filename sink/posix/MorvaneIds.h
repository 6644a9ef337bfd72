#pragma once

#include <string>

#include "sink/ProductWord.h"

// The identifiers of the class MorvaneCls and its type library "Morvane"
// 1.0, as the library registers them.
namespace morvane_posix {

inline constexpr const char* kClsidMorvaneCls = "{43FDAD47-0820-4223-A6D8-7511C42A3A9A}";
inline constexpr const char* kLibidMorvane = "{52EA5F07-01B6-4444-B821-C0F865C91106}";
inline constexpr const char* kIidMorvaneCls = "{78C42E18-F371-4246-9B4A-B170937668EB}";
inline constexpr const char* kTypeLibraryVersion = "1.0";
inline constexpr const char* kInterfaceName = "_MorvaneCls";
inline constexpr const char* kThreadingModel = "Apartment";

// "Morvane.MorvaneCls", built from the product word.
inline std::string ProgId() {
    std::string word(kProductWord);
    return word + "." + word + "Cls";
}

}  // namespace morvane_posix
