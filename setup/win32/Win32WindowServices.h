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

// The window's messages pass the keyboard navigation of the dialog window
// first (Tab, Shift+Tab, the arrow keys), as in a dialog box.
class Win32EventLoop : public forms::EventLoop {
  public:
    void SetDialog(HWND dialog) { dialog_ = dialog; }
    void DoEvents() override;
    // Runs until the quit message.
    void Run();

  private:
    void Dispatch(MSG& message);

    HWND dialog_ = nullptr;
};

class Win32TextMeasure : public forms::TextMeasure {
  public:
    int32_t GetSystemMetrics(int32_t index) override;
    int32_t DrawTextCalcRectRight(const std::string& text, const forms::Font& font) override;
};

}  // namespace setup::win32
