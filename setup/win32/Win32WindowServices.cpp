#include "setup/win32/Win32WindowServices.h"

#include "platform/win32/WideText.h"
#include "setup/win32/GdiFont.h"

namespace setup::win32 {

int32_t Win32MessageBox::Show(const std::string& text, int32_t style, const std::string& title) {
    std::wstring wideText = platform::win32::Utf8ToWide(text);
    std::wstring wideTitle = platform::win32::Utf8ToWide(title);
    return MessageBoxW(owner_, wideText.c_str(), wideTitle.c_str(), static_cast<UINT>(style));
}

void Win32EventLoop::DoEvents() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Leave the quit for the main loop.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        Dispatch(message);
    }
}

void Win32EventLoop::Run() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        Dispatch(message);
}

void Win32EventLoop::Dispatch(MSG& message) {
    if (dialog_ != nullptr && IsWindow(dialog_) && IsDialogMessageW(dialog_, &message))
        return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

int32_t Win32TextMeasure::GetSystemMetrics(int32_t index) {
    return ::GetSystemMetrics(index);
}

// DrawTextA with DT_CALCRECT on a screen device context holding the font,
// from a rectangle whose left and top are 0.
int32_t Win32TextMeasure::DrawTextCalcRectRight(const std::string& text, const forms::Font& font) {
    GdiFont gdiFont(font);
    HDC dc = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, gdiFont.Handle());
    RECT rect{0, 0, 0, 0};
    std::string ansi = platform::win32::Utf8ToAnsi(text);
    DrawTextA(dc, ansi.c_str(), -1, &rect, DT_CALCRECT);
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    return rect.right;
}

}  // namespace setup::win32
