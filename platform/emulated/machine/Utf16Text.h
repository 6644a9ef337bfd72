#pragma once

#include <string>
#include <string_view>

// UTF-16LE files as the profile functions read and write them. The
// conversion to UTF-8 keeps every 16-bit unit: an unpaired surrogate
// becomes the three bytes its code point would take, and goes back as the
// same unit, so rewriting a file never changes a line it did not touch.
namespace platform::emulated {

inline constexpr std::string_view kUtf16LeMark = "\xFF\xFE";

bool HasUtf16LeMark(std::string_view bytes);

// UTF-16LE bytes (without the mark) as UTF-8; an odd last byte is dropped.
std::string Utf16LeToUtf8(std::string_view bytes);

// UTF-8 as UTF-16LE bytes (without the mark); a byte that starts no valid
// sequence becomes U+FFFD.
std::string Utf8ToUtf16Le(std::string_view text);

}  // namespace platform::emulated
