#pragma once

#include <map>
#include <memory>
#include <string>

#include "setup/InstallForm.h"
#include "setup/win32/GdiCanvas.h"
#include "setup/win32/GdiFont.h"
#include "setup/win32/NativeList.h"
#include "setup/win32/WindowLayout.h"

namespace setup::win32 {

// The setup program's window on Windows: the form's controls as native
// controls, bound to the model both ways. It holds no logic of its own:
// activation, the close box and every click go to the form, and when the
// form unloads the window is destroyed and the message loop told to end.
class SetupWindow {
  public:
    SetupWindow(InstallForm& form, HINSTANCE instance);
    SetupWindow(const SetupWindow&) = delete;
    SetupWindow& operator=(const SetupWindow&) = delete;
    ~SetupWindow();

    HWND Handle() const { return window_; }
    // When the window could not be created (Handle() is null): the error of
    // the call that failed, read right after it.
    DWORD CreationError() const { return creationError_; }
    // The native control of a model control, by its name; nullptr if none.
    HWND ControlHandle(const std::string& name) const;
    GdiCanvas* PictureCanvas() const { return canvas_.get(); }
    HWND ToolTips() const { return toolTips_; }
    // Shows the window; the first activation follows through the window
    // system, or right after showing where it activates nothing.
    void Show(int showCommand);
    bool Destroyed() const { return window_ == nullptr; }

  private:
    struct Binding {
        forms::Control* control;
        ControlKind kind;
        HWND handle;
        int token;
        std::unique_ptr<GdiFont> font;
        std::unique_ptr<NativeList> list;  // for a list
    };

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK PictureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateMainWindow(HINSTANCE instance, const WindowPlan& plan);
    void CreateControls(HINSTANCE instance, const WindowPlan& plan);
    void BindControl(forms::Control& control, ControlKind kind, HWND handle, int id);
    void Apply(Binding& binding, forms::Property property);
    void ApplyAll(Binding& binding);
    void OnCommand(int id, int code);
    bool OnSetCursor(HWND over);
    void Activate();
    void OnFormChanged(forms::Property property);
    void CreateToolTips(HINSTANCE instance);
    void ApplyToolTip(Binding& binding);

    InstallForm& form_;
    HWND window_ = nullptr;
    DWORD creationError_ = 0;
    std::map<int, Binding> bindings_;  // by control id
    std::unique_ptr<GdiCanvas> canvas_;
    HWND toolTips_ = nullptr;
    int formToken_ = 0;
    bool activated_ = false;
    // The control that had the focus when the window was last deactivated.
    HWND lastFocus_ = nullptr;
    // Model changes being shown: the notifications they cause are not
    // user actions.
    int applying_ = 0;
};

// "The setup window could not be created - ERROR: " + the error as an
// HRESULT + its system text: the line a program without its window ends
// with.
std::string WindowCreationFailure(DWORD error);

}  // namespace setup::win32
