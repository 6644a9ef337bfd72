// The machine's date text and case mapping on Windows, as the automation
// language gives them: the general date is the user's regional short date,
// a blank and the regional time (the time left out at exactly midnight),
// and upper case is the system's own Unicode mapping.
#include "platform/Clock.h"
#include "platform/Text.h"
#include "platform/win32/WideText.h"

namespace platform {

namespace {

using Formatter = int(WINAPI*)(LCID, DWORD, const SYSTEMTIME*, LPCWSTR, LPWSTR, int);

// One of the regional date or time texts; empty when the call fails.
std::wstring Formatted(Formatter format, DWORD flags, const SYSTEMTIME& time) {
    const int length = format(LOCALE_USER_DEFAULT, flags, &time, nullptr, nullptr, 0);
    if (length <= 0)
        return {};
    std::wstring text(static_cast<size_t>(length), L'\0');
    if (format(LOCALE_USER_DEFAULT, flags, &time, nullptr, text.data(), length) <= 0)
        return {};
    text.resize(static_cast<size_t>(length - 1));  // the terminating NUL
    return text;
}

// A regional format may hold literal text; the log's entries rely on the
// date text holding no brackets.
void ReplaceBrackets(std::wstring& text) {
    for (wchar_t& c : text) {
        if (c == L'[')
            c = L'(';
        else if (c == L']')
            c = L')';
    }
}

}  // namespace

std::string GeneralDateText(const LocalTime& time) {
    SYSTEMTIME system{};
    system.wYear = static_cast<WORD>(time.year);
    system.wMonth = static_cast<WORD>(time.month);
    system.wDay = static_cast<WORD>(time.day);
    system.wHour = static_cast<WORD>(time.hour);
    system.wMinute = static_cast<WORD>(time.minute);
    system.wSecond = static_cast<WORD>(time.second);
    std::wstring text = Formatted(GetDateFormatW, DATE_SHORTDATE, system);
    const bool midnight = time.hour == 0 && time.minute == 0 && time.second == 0;
    const std::wstring clock = midnight ? L"" : Formatted(GetTimeFormatW, 0, system);
    if (text.empty() || (!midnight && clock.empty()))
        return SortableDateText(time);
    if (!midnight)
        text += L" " + clock;
    ReplaceBrackets(text);
    return win32::WideToUtf8(text);
}

}  // namespace platform

namespace platform::text {

std::string ToUpper(std::string_view text) {
    std::wstring wide = win32::Utf8ToWide(text);
    if (!wide.empty())
        CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    return win32::WideToUtf8(wide);
}

}  // namespace platform::text
