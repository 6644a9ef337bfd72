#include "setup/win32/KeyboardFocus.h"

namespace setup::win32 {

namespace {

bool TakesFocus(HWND control) {
    const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
    return IsWindow(control) && (style & WS_TABSTOP) != 0 && IsWindowEnabled(control) &&
           IsWindowVisible(control);
}

void Focus(HWND window, HWND control) {
    SetFocus(control != nullptr ? control : window);
}

}  // namespace

DWORD KeyboardStyle(ControlKind kind, bool joinsGroup) {
    const DWORD group = joinsGroup ? 0 : WS_GROUP;
    switch (kind) {
        case ControlKind::Button:
        case ControlKind::CheckBox:
        case ControlKind::Option:
        case ControlKind::List:
        case ControlKind::Text:
            return group | WS_TABSTOP;
        default:
            return group;
    }
}

void PassFocusOn(HWND window, HWND leaving) {
    if (GetFocus() != leaving)
        return;
    HWND next = GetNextDlgTabItem(window, leaving, FALSE);
    Focus(window, next != leaving ? next : nullptr);
}

void RestoreFocus(HWND window, HWND remembered) {
    if (remembered != nullptr && IsChild(window, remembered) && TakesFocus(remembered))
        Focus(window, remembered);
    else
        Focus(window, GetNextDlgTabItem(window, nullptr, FALSE));
}

void MoveFocus(HWND window, WPARAM wParam, LPARAM lParam) {
    if (LOWORD(lParam) != 0)
        Focus(window, reinterpret_cast<HWND>(wParam));
    else
        Focus(window, GetNextDlgTabItem(window, GetFocus(), wParam != 0));
}

bool KeepFocusVisible(WPARAM& wParam) {
    const WORD action = LOWORD(wParam);
    WORD flags = HIWORD(wParam);
    if (action == UIS_SET || action == UIS_INITIALIZE)
        flags &= static_cast<WORD>(~UISF_HIDEFOCUS);
    wParam = MAKEWPARAM(action, flags);
    return flags != 0;
}

}  // namespace setup::win32
