#pragma once

#include "platform/win32/WindowsHeaders.h"

#include <string>

// Turns failed COM and Win32 calls into platform::ComError: the HRESULT as
// a signed number and the error's description text.
namespace platform::win32 {

// The description of an HRESULT: the thread's error object when it has one
// for this failure, otherwise the system's message text.
std::string DescribeHresult(HRESULT hr);
// The system's message text for an HRESULT; "" when it has none.
std::string SystemMessage(HRESULT hr);

[[noreturn]] void ThrowComError(HRESULT hr);
// For DISP_E_EXCEPTION: the number and text the object filled in.
[[noreturn]] void ThrowComError(EXCEPINFO& info);

inline void ThrowIfFailed(HRESULT hr) {
    if (FAILED(hr))
        ThrowComError(hr);
}

}  // namespace platform::win32
