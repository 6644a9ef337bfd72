#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Text helpers used all over the system. Positions are 1-based, as the
// string functions of the automation language count them; 0 means "not
// found". Case-insensitive means ASCII letters compared without regard to
// case; every such comparison in the system goes through these helpers.
namespace platform::text {

bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
bool EndsWithNoCase(std::string_view text, std::string_view suffix);

std::string ToLower(std::string_view text);
// Upper case by the platform's own Unicode mapping, one character for one
// ("Réserve" gives "RÉSERVE"); each platform's adapter folder holds it.
std::string ToUpper(std::string_view text);

// Removes blanks (the space character only) from both ends.
std::string Trim(std::string_view text);

// First occurrence of needle at or after position start (1-based).
size_t FindFirst(std::string_view haystack, std::string_view needle, size_t start = 1);
size_t FindFirstNoCase(std::string_view haystack, std::string_view needle, size_t start = 1);

// Last occurrence of needle that starts at or before position start
// (1-based); start 0 means the whole text. Case-sensitive.
size_t FindLast(std::string_view haystack, std::string_view needle, size_t start = 0);

// The first count characters, or all of them.
std::string Left(std::string_view text, size_t count);
// From position start (1-based) to the end; empty past the end.
std::string Mid(std::string_view text, size_t start);
// The last count characters, or all of them.
std::string Right(std::string_view text, size_t count);

}  // namespace platform::text
