#include "platform/emulated/machine/Utf16Text.h"

#include <cstdint>
#include <utility>

namespace platform::emulated {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void AppendUnit(std::string& out, char32_t unit) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
}

bool IsHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// The code point of the UTF-8 sequence at text[i] (surrogates included)
// and its length; U+FFFD and 1 when none starts there.
std::pair<char32_t, size_t> DecodeUtf8(std::string_view text, size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80)
        return {lead, 1};
    size_t length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || lead > 0xF4 || i + length > text.size())
        return {kReplacement, 1};
    char32_t cp = lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80)
            return {kReplacement, 1};
        cp = (cp << 6) | (next & 0x3F);
    }
    const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < smallest[length] || cp > 0x10FFFF)
        return {kReplacement, 1};
    return {cp, length};
}

}  // namespace

bool HasUtf16LeMark(std::string_view bytes) {
    return bytes.substr(0, 2) == kUtf16LeMark;
}

std::string Utf16LeToUtf8(std::string_view bytes) {
    std::string text;
    auto unitAt = [&bytes](size_t i) {
        return static_cast<char32_t>(static_cast<unsigned char>(bytes[i]) |
                                     (static_cast<unsigned char>(bytes[i + 1]) << 8));
    };
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char32_t unit = unitAt(i);
        if (IsHighSurrogate(unit) && i + 3 < bytes.size() && IsLowSurrogate(unitAt(i + 2))) {
            unit = 0x10000 + ((unit - 0xD800) << 10) + (unitAt(i + 2) - 0xDC00);
            i += 2;
        }
        AppendUtf8(text, unit);
    }
    return text;
}

std::string Utf8ToUtf16Le(std::string_view text) {
    std::string bytes;
    for (size_t i = 0; i < text.size();) {
        const auto [cp, length] = DecodeUtf8(text, i);
        i += length;
        if (cp < 0x10000) {
            AppendUnit(bytes, cp);
        } else {
            AppendUnit(bytes, 0xD800 + ((cp - 0x10000) >> 10));
            AppendUnit(bytes, 0xDC00 + ((cp - 0x10000) & 0x3FF));
        }
    }
    return bytes;
}

}  // namespace platform::emulated
