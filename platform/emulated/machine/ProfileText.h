#pragma once

#include <optional>
#include <string>
#include <string_view>

// What the profile functions make of a profile file's bytes, apart from
// reading and writing the file: the value of a key, and the file rewritten
// with one key set. A file that starts with the UTF-16LE byte-order mark is
// read as UTF-16LE and rewritten in it, with the mark, as the platform
// does; any other file is taken byte for byte, as the 8-bit code page.
// Names and values in and out are UTF-8.
namespace platform::emulated {

// The value of key in the first section of that name (both trimmed and
// compared without regard to case), with one pair of matching quotes
// removed; none when the file has no such key.
std::optional<std::string> ProfileValue(std::string_view file, std::string_view section,
                                        std::string_view key);

// The file with key set to value: the first section of that name keeps its
// other lines (a new key goes after its last entry), a missing section is
// added at the end; blank lines are dropped and every line ends in CR LF.
std::string ProfileWithValue(std::string_view file, std::string_view section, std::string_view key,
                             std::string_view value);

// White space to the profile functions: blank and 0x09 to 0x0D.
inline bool IsProfileSpace(char c) {
    return c == ' ' || (c >= 0x09 && c <= 0x0D);
}

// Text without white space at either end.
std::string TrimProfileSpace(std::string_view text);

}  // namespace platform::emulated
