#include "platform/win32/WideText.h"

#include <utility>

namespace platform::win32 {

namespace {

std::wstring ToWide(UINT codePage, std::string_view text) {
    if (text.empty())
        return {};
    const int length = static_cast<int>(text.size());
    int count = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    std::wstring result(static_cast<size_t>(count), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), length, result.data(), count);
    return result;
}

std::string FromWide(UINT codePage, std::wstring_view text) {
    if (text.empty())
        return {};
    const int length = static_cast<int>(text.size());
    int count = WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(count), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), length, result.data(), count, nullptr, nullptr);
    return result;
}

}  // namespace

std::wstring Utf8ToWide(std::string_view text) {
    return ToWide(CP_UTF8, text);
}

std::string WideToUtf8(std::wstring_view text) {
    return FromWide(CP_UTF8, text);
}

std::string Utf8ToAnsi(std::string_view text) {
    return FromWide(CP_ACP, Utf8ToWide(text));
}

std::string AnsiToUtf8(std::string_view text) {
    return WideToUtf8(ToWide(CP_ACP, text));
}

std::string BstrToUtf8(BSTR text) {
    if (text == nullptr)
        return {};
    return WideToUtf8(std::wstring_view(text, SysStringLen(text)));
}

Bstr::Bstr(std::string_view utf8) {
    std::wstring wide = Utf8ToWide(utf8);
    text_ = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

BSTR Bstr::Release() {
    return std::exchange(text_, nullptr);
}

}  // namespace platform::win32
