#pragma once

#include <string_view>

// The product word: the library's name, the base name of its file and of its
// settings file, and part of every name built from them ("Morvane.ini",
// "Morvane Settings", "Morvane.MorvaneCls", "Morvane.reg").
inline constexpr std::string_view kProductWord = "Morvane";
