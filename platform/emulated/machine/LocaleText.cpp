// The machine's date text and case mapping on Linux: the general date in
// its one fixed form, and upper case by the C library's Unicode mapping of
// its UTF-8 locale (C.UTF-8, built into the C library), whatever locale the
// program runs under.
#include <locale.h>

#include <algorithm>
#include <climits>
#include <cwchar>
#include <cwctype>

#include "platform/Clock.h"
#include "platform/Text.h"

namespace platform {

std::string GeneralDateText(const LocalTime& time) {
    return SortableDateText(time);
}

}  // namespace platform

namespace platform::text {

namespace {

// The UTF-8 character type, made once; 0 when the C library has none, and
// then the calling thread's own locale is used.
locale_t Utf8CharacterType() {
    static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
    return utf8;
}

// Puts the calling thread under a locale for as long as it lives.
class ThreadLocale {
  public:
    explicit ThreadLocale(locale_t locale) : previous_(uselocale(locale)) {}
    ~ThreadLocale() { uselocale(previous_); }
    ThreadLocale(const ThreadLocale&) = delete;
    ThreadLocale& operator=(const ThreadLocale&) = delete;

  private:
    locale_t previous_;
};

constexpr size_t kInvalid = static_cast<size_t>(-1);
constexpr size_t kIncomplete = static_cast<size_t>(-2);

}  // namespace

// A NUL, and a byte that begins no UTF-8 character, are kept as they are.
// Text of ASCII characters alone, as the directory's names mostly are, is
// mapped byte by byte, as the Unicode mapping maps those characters.
std::string ToUpper(std::string_view text) {
    if (std::all_of(text.begin(), text.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        std::string result(text);
        for (char& c : result) {
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
        }
        return result;
    }
    const ThreadLocale utf8(Utf8CharacterType());
    std::string result;
    result.reserve(text.size());
    size_t position = 0;
    while (position < text.size()) {
        std::mbstate_t in{};
        wchar_t character = 0;
        const size_t length =
            std::mbrtowc(&character, text.data() + position, text.size() - position, &in);
        if (length == kInvalid || length == kIncomplete || length == 0) {
            result += text[position++];
            continue;
        }
        char bytes[MB_LEN_MAX];
        std::mbstate_t out{};
        const size_t written =
            std::wcrtomb(bytes, static_cast<wchar_t>(std::towupper(character)), &out);
        result.append(written == kInvalid ? text.substr(position, length)
                                          : std::string_view(bytes, written));
        position += length;
    }
    return result;
}

}  // namespace platform::text
