#include "platform/win32/ComFailure.h"

#include <cstdint>

#include "platform/ComError.h"
#include "platform/win32/ComPtr.h"
#include "platform/win32/WideText.h"

namespace platform::win32 {

namespace {

std::string TrimLineEnds(std::string text) {
    while (!text.empty() &&
           (text.back() == '\r' || text.back() == '\n' || text.back() == ' ' || text.back() == '.'))
        text.pop_back();
    return text;
}

std::string ErrorObjectText() {
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.Out()) != S_OK || !info)
        return {};
    BSTR description = nullptr;
    std::string text;
    if (SUCCEEDED(info->GetDescription(&description)))
        text = BstrToUtf8(description);
    SysFreeString(description);
    return text;
}

}  // namespace

std::string SystemMessage(HRESULT hr) {
    wchar_t* buffer = nullptr;
    DWORD count = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string text;
    if (count > 0 && buffer != nullptr)
        text = TrimLineEnds(WideToUtf8(std::wstring_view(buffer, count)));
    if (buffer != nullptr)
        LocalFree(buffer);
    return text;
}

std::string DescribeHresult(HRESULT hr) {
    std::string text = ErrorObjectText();
    if (text.empty())
        text = SystemMessage(hr);
    if (text.empty())
        text = "Automation error";
    return text;
}

void ThrowComError(HRESULT hr) {
    std::string description = DescribeHresult(hr);
    throw ComError(static_cast<int32_t>(hr), description);
}

void ThrowComError(EXCEPINFO& info) {
    if (info.pfnDeferredFillIn != nullptr)
        info.pfnDeferredFillIn(&info);
    HRESULT number = info.scode != 0 ? info.scode : static_cast<HRESULT>(info.wCode);
    std::string description = BstrToUtf8(info.bstrDescription);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrHelpFile);
    info = EXCEPINFO{};
    if (number == 0)
        number = E_FAIL;
    if (description.empty())
        description = SystemMessage(number);
    if (description.empty())
        description = "Automation error";
    throw ComError(static_cast<int32_t>(number), description);
}

}  // namespace platform::win32
