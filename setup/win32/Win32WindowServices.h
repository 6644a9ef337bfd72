#pragma once

// The ports come before the Windows headers, which would turn the name
// MessageBox into a macro; the macro is undone after them.
#include "setup/forms/Ports.h"

#include "platform/win32/WindowsHeaders.h"

#undef MessageBox

// The window system's services for the form: message boxes, the event
// loop and text measurement, through the Win32 calls.
namespace setup::win32 {

class Win32MessageBox : public forms::MessageBox {
  public:
    // Boxes are owned by this window once it exists.
    void SetOwner(HWND owner) { owner_ = owner; }
    int32_t Show(const std::string& text, int32_t style, const std::string& title) override;

  private:
    HWND owner_ = nullptr;
};

class Win32EventLoop : public forms::EventLoop {
  public:
    void DoEvents() override;
};

class Win32TextMeasure : public forms::TextMeasure {
  public:
    int32_t GetSystemMetrics(int32_t index) override;
    int32_t DrawTextCalcRectRight(const std::string& text, const forms::Font& font) override;
};

}  // namespace setup::win32
