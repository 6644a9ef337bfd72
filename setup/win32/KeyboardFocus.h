#pragma once

// The layout (with the form) comes before the Windows headers, whose
// macros would rename its members.
#include "setup/win32/WindowLayout.h"

#include "platform/win32/WindowsHeaders.h"

// The keyboard in the setup window, as in a dialog box: Tab and Shift+Tab
// follow the order in which the controls were created, the two options
// form one group that the arrow keys move within, and the focus always
// shows, also on an empty list.
namespace setup::win32 {

// The style bits that place a control in the keyboard order: controls the
// user works with are tab stops, and each control starts a group of its
// own, but an option that follows an option joins its group.
DWORD KeyboardStyle(ControlKind kind, bool joinsGroup);

// Before a control is disabled or hidden: if it has the focus, the focus
// moves on to the next control in the keyboard order.
void PassFocusOn(HWND window, HWND leaving);

// The focus returns to the window: to the control that had it, while that
// still takes the focus, else to the first control in the keyboard order.
void RestoreFocus(HWND window, HWND remembered);

// WM_NEXTDLGCTL, as a dialog box handles it: wParam is the control when
// lParam is not zero, else whether to move backwards.
void MoveFocus(HWND window, WPARAM wParam, LPARAM lParam);

// WM_CHANGEUISTATE and WM_UPDATEUISTATE: requests to hide the focus mark
// are dropped. False when nothing of the request remains.
bool KeepFocusVisible(WPARAM& wParam);

}  // namespace setup::win32
