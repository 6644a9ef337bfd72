#pragma once

#include "platform/win32/WindowsHeaders.h"

#include <string>
#include <string_view>

// Conversions at the platform boundary: the core speaks UTF-8, COM speaks
// UTF-16 (BSTR) and the *A functions speak the ANSI code page.
namespace platform::win32 {

std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);
std::string Utf8ToAnsi(std::string_view text);
std::string AnsiToUtf8(std::string_view text);

// The whole BSTR (its length prefix counts, so embedded NULs survive).
std::string BstrToUtf8(BSTR text);

// Owns one BSTR.
class Bstr {
  public:
    explicit Bstr(std::string_view utf8);
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(text_); }
    BSTR Get() const { return text_; }
    // Hands the string over; the caller frees it.
    BSTR Release();

  private:
    BSTR text_;
};

}  // namespace platform::win32
