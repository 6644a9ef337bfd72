#include "setup/win32/SetupWindow.h"

#include <commctrl.h>

#include "platform/win32/ComFailure.h"
#include "platform/win32/WideText.h"
#include "setup/win32/KeyboardFocus.h"
#include "setup/win32/ModelControls.h"

namespace setup::win32 {

namespace {

constexpr wchar_t kWindowClass[] = L"MorvaneSetupWindow";
constexpr wchar_t kPictureClass[] = L"MorvanePictureBox";
constexpr UINT kFirstActivation = WM_APP + 1;
constexpr int kFirstControlId = 100;

using platform::win32::Utf8ToWide;
using platform::win32::WideToUtf8;

void RegisterClasses(HINSTANCE instance, WNDPROC windowProc, WNDPROC pictureProc) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassW(&windowClass);
    WNDCLASSW pictureClass{};
    pictureClass.lpfnWndProc = pictureProc;
    pictureClass.hInstance = instance;
    pictureClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    pictureClass.lpszClassName = kPictureClass;
    RegisterClassW(&pictureClass);
}

struct NativeStyle {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

NativeStyle StyleOf(ControlKind kind) {
    switch (kind) {
        case ControlKind::Button:
            return {L"BUTTON", BS_PUSHBUTTON, 0};
        case ControlKind::CheckBox:
            // Not automatic: the model decides the value, also grey (2).
            return {L"BUTTON", BS_3STATE, 0};
        case ControlKind::Option:
            // Automatic, so that the arrow keys select as they move; the
            // model's value is shown after every click all the same.
            return {L"BUTTON", BS_AUTORADIOBUTTON, 0};
        case ControlKind::Frame:
            return {L"BUTTON", BS_GROUPBOX, 0};
        case ControlKind::Label:
            return {L"STATIC", SS_LEFT | SS_NOTIFY, 0};
        case ControlKind::Link:
            return {L"STATIC", SS_LEFT | SS_NOTIFY, 0};
        case ControlKind::List:
            return {L"LISTBOX",
                    LBS_MULTIPLESEL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL,
                    WS_EX_CLIENTEDGE};
        case ControlKind::Text:
            return {L"EDIT", ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY | WS_VSCROLL,
                    WS_EX_CLIENTEDGE};
        case ControlKind::Picture:
            return {kPictureClass, WS_BORDER, 0};
    }
    return {L"STATIC", 0, 0};
}

TextSize MeasureText(const std::string& text, const forms::Font& font) {
    HDC screen = GetDC(nullptr);
    const SIZE size = GdiFont(font).Measure(screen, text);
    ReleaseDC(nullptr, screen);
    return {size.cx, size.cy};
}

// Multi-line edit controls want CR LF line ends.
std::wstring WithCrLf(const std::string& text) {
    std::wstring wide = Utf8ToWide(text);
    std::wstring result;
    for (size_t i = 0; i < wide.size(); ++i) {
        if (wide[i] == L'\n' && (i == 0 || wide[i - 1] != L'\r'))
            result += L'\r';
        result += wide[i];
    }
    return result;
}

}  // namespace

SetupWindow::SetupWindow(InstallForm& form, HINSTANCE instance) : form_(form) {
    RegisterClasses(instance, &SetupWindow::WindowProc, &SetupWindow::PictureProc);
    const WindowPlan plan = PlanSetupWindow(form, MeasureText, GetSystemMetrics(SM_CXMENUCHECK));
    CreateMainWindow(instance, plan);
    if (window_ == nullptr)
        return;  // nothing to put controls on; CreationError() says why
    CreateToolTips(instance);
    CreateControls(instance, plan);
    formToken_ = form.Window().Subscribe(
        [this](forms::Control&, forms::Property property) { OnFormChanged(property); });
}

// Not clipping its children: the window paints its background beneath the
// frame, which draws only its border and caption.
void SetupWindow::CreateMainWindow(HINSTANCE instance, const WindowPlan& plan) {
    RECT frame{0, 0, plan.clientWidth, plan.clientHeight};
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    AdjustWindowRect(&frame, style, FALSE);
    std::wstring caption = Utf8ToWide(form_.Window().Caption());
    window_ = CreateWindowExW(0, kWindowClass, caption.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                              frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                              instance, this);
    if (window_ == nullptr)
        creationError_ = GetLastError();
}

std::string WindowCreationFailure(DWORD error) {
    // A creation that failed without a reason (Wine without a graphics
    // driver gives none) left no window handle.
    const HRESULT number = HRESULT_FROM_WIN32(error != 0 ? error : ERROR_INVALID_WINDOW_HANDLE);
    return FailureText("The setup window could not be created",
                       platform::ComError(number, platform::win32::SystemMessage(number)));
}

SetupWindow::~SetupWindow() {
    form_.Picture1.SetCanvas(nullptr);
    form_.Window().Unsubscribe(formToken_);
    for (auto& [id, binding] : bindings_)
        binding.control->Unsubscribe(binding.token);
    if (window_ != nullptr)
        DestroyWindow(window_);
}

HWND SetupWindow::ControlHandle(const std::string& name) const {
    for (const auto& [id, binding] : bindings_)
        if (binding.control->Name() == name)
            return binding.handle;
    return nullptr;
}

// The controls in the plan's order, which is the keyboard order; siblings
// clip each other, so the frame beneath its options leaves them alone.
void SetupWindow::CreateControls(HINSTANCE instance, const WindowPlan& plan) {
    int id = kFirstControlId;
    ControlKind previous = ControlKind::Frame;
    for (const ControlPlace& place : plan.places) {
        forms::Control* control = ModelControl(form_, place.name);
        if (control == nullptr)
            continue;
        NativeStyle native = StyleOf(place.kind);
        const bool joinsGroup = place.kind == ControlKind::Option && previous == place.kind;
        const DWORD style =
            native.style | WS_CHILD | WS_CLIPSIBLINGS | KeyboardStyle(place.kind, joinsGroup);
        HWND handle =
            CreateWindowExW(native.exStyle, native.className, L"", style, place.x, place.y,
                            place.width, place.height, window_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        if (place.kind == ControlKind::Picture) {
            canvas_ = std::make_unique<GdiCanvas>(handle, place.width - 2, place.height - 2);
            SetWindowLongPtrW(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(canvas_.get()));
            form_.Picture1.SetCanvas(canvas_.get());
        }
        BindControl(*control, place.kind, handle, id++);
        previous = place.kind;
    }
}

void SetupWindow::CreateToolTips(HINSTANCE instance) {
    InitCommonControls();
    toolTips_ = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_,
                                nullptr, instance, nullptr);
}

// Labels show their tool tip text; the record has the size every common
// controls version accepts.
void SetupWindow::ApplyToolTip(Binding& binding) {
    auto* label = dynamic_cast<forms::Label*>(binding.control);
    if (label == nullptr || toolTips_ == nullptr)
        return;
    std::wstring text = Utf8ToWide(label->ToolTipText());
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(binding.handle);
    tool.lpszText = text.data();
    SendMessageW(toolTips_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    if (!text.empty())
        SendMessageW(toolTips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void SetupWindow::BindControl(forms::Control& control, ControlKind kind, HWND handle, int id) {
    Binding& binding = bindings_[id];
    binding.control = &control;
    binding.kind = kind;
    binding.handle = handle;
    if (auto* list = dynamic_cast<forms::ListBox*>(&control))
        binding.list = std::make_unique<NativeList>(window_, handle, id, *list);
    binding.token = control.Subscribe([this, id](forms::Control&, forms::Property property) {
        auto found = bindings_.find(id);
        if (found != bindings_.end())
            Apply(found->second, property);
    });
    ApplyAll(binding);
}

void SetupWindow::ApplyAll(Binding& binding) {
    using P = forms::Property;
    for (P property : {P::Font, P::Caption, P::Value, P::Text, P::ToolTip, P::Enabled, P::Visible})
        Apply(binding, property);
    if (binding.list != nullptr) {
        ++applying_;
        binding.list->ShowWhole();
        --applying_;
    }
}

void SetupWindow::Apply(Binding& binding, forms::Property property) {
    using P = forms::Property;
    ++applying_;
    HWND handle = binding.handle;
    forms::Control& control = *binding.control;
    switch (property) {
        case P::Caption:
            if (auto* captioned = dynamic_cast<forms::CaptionControl*>(&control))
                SetWindowTextW(handle, Utf8ToWide(captioned->Caption()).c_str());
            break;
        case P::Value:
            if (auto* box = dynamic_cast<forms::CheckBox*>(&control))
                SendMessageW(handle, BM_SETCHECK, static_cast<WPARAM>(box->Value()), 0);
            else if (auto* option = dynamic_cast<forms::OptionButton*>(&control))
                SendMessageW(handle, BM_SETCHECK, option->Value() ? BST_CHECKED : BST_UNCHECKED, 0);
            break;
        case P::Enabled:
            if (!control.Enabled())
                PassFocusOn(window_, handle);
            EnableWindow(handle, control.Enabled());
            break;
        case P::Visible:
            if (!control.Visible())
                PassFocusOn(window_, handle);
            ShowWindow(handle, control.Visible() ? SW_SHOW : SW_HIDE);
            break;
        case P::Font:
            binding.font = std::make_unique<GdiFont>(control.GetFont());
            SendMessageW(handle, WM_SETFONT, reinterpret_cast<WPARAM>(binding.font->Handle()),
                         TRUE);
            break;
        case P::Text:
            if (auto* text = dynamic_cast<forms::TextBox*>(&control))
                SetWindowTextW(handle, WithCrLf(text->Text()).c_str());
            break;
        case P::Drawing:
            InvalidateRect(handle, nullptr, FALSE);
            break;
        case P::Items:
        case P::Selection:
        case P::ListIndex:
        case P::HorizontalExtent:
            if (binding.list != nullptr)
                binding.list->Show(property);
            break;
        case P::ToolTip:
            ApplyToolTip(binding);
            break;
        case P::MousePointer:
            break;
    }
    --applying_;
}

void SetupWindow::Show(int showCommand) {
    if (window_ == nullptr)
        return;
    ShowWindow(window_, showCommand);
    SendMessageW(window_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    RestoreFocus(window_, nullptr);
    UpdateWindow(window_);
    PostMessageW(window_, kFirstActivation, 0, 0);
}

void SetupWindow::Activate() {
    activated_ = true;
    form_.Form_Activate();
}

void SetupWindow::OnFormChanged(forms::Property property) {
    if (window_ == nullptr)
        return;
    if (property == forms::Property::Caption)
        SetWindowTextW(window_, Utf8ToWide(form_.Window().Caption()).c_str());
    if (property == forms::Property::MousePointer) {
        bool busy = form_.Window().MousePointer() == forms::Form::kPointerHourglass;
        SetCursor(LoadCursorA(nullptr, busy ? IDC_WAIT : IDC_ARROW));
    }
    if (property == forms::Property::Visible && !form_.Window().Visible()) {
        HWND closing = window_;
        window_ = nullptr;
        DestroyWindow(closing);
    }
}

void SetupWindow::OnCommand(int id, int code) {
    auto found = bindings_.find(id);
    if (found == bindings_.end() || applying_ > 0)
        return;
    Binding& binding = found->second;
    forms::Control& control = *binding.control;
    if (code == BN_CLICKED || code == STN_CLICKED) {
        if (auto* button = dynamic_cast<forms::CommandButton*>(&control))
            button->UserClick();
        else if (auto* box = dynamic_cast<forms::CheckBox*>(&control))
            box->UserClick();
        else if (auto* option = dynamic_cast<forms::OptionButton*>(&control))
            option->UserClick();
        else if (auto* label = dynamic_cast<forms::Label*>(&control))
            label->UserClick();
    } else if (code == LBN_SELCHANGE && binding.list != nullptr) {
        binding.list->ReadSelection();
    }
}

// The hourglass while the form is busy; over the link label the form sets
// the cursor itself (its mouse-move handler).
bool SetupWindow::OnSetCursor(HWND over) {
    if (form_.Window().MousePointer() == forms::Form::kPointerHourglass) {
        SetCursor(LoadCursorA(nullptr, IDC_WAIT));
        return true;
    }
    if (over != nullptr && over == ControlHandle("Label5")) {
        form_.Label5.UserMouseMove();
        return true;
    }
    return false;
}

LRESULT SetupWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND self = window_;
    switch (message) {
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE && IsChild(self, GetFocus()))
                lastFocus_ = GetFocus();
            if (LOWORD(wParam) != WA_INACTIVE)
                Activate();
            break;
        case WM_SETFOCUS:
            RestoreFocus(self, lastFocus_);
            return 0;
        case WM_NEXTDLGCTL:
            MoveFocus(self, wParam, lParam);
            return 0;
        case WM_CHANGEUISTATE:
        case WM_UPDATEUISTATE:
            if (!KeepFocusVisible(wParam))
                return 0;
            break;
        case kFirstActivation:
            if (!activated_)
                Activate();
            return 0;
        case WM_TIMER:
            if (auto found = bindings_.find(static_cast<int>(wParam));
                found != bindings_.end() && found->second.list != nullptr)
                found->second.list->Resume();
            return 0;
        case WM_SETCURSOR:
            if (OnSetCursor(reinterpret_cast<HWND>(wParam)))
                return TRUE;
            break;
        case WM_CTLCOLORSTATIC:
            if (reinterpret_cast<HWND>(lParam) == ControlHandle("Label5")) {
                HDC dc = reinterpret_cast<HDC>(wParam);
                SetTextColor(dc, RGB(0, 0, 255));
                SetBkMode(dc, TRANSPARENT);
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
            }
            break;
        case WM_CLOSE:
            // The close box unloads the form, as Exit does.
            if (!form_.Window().IsUnloaded())
                form_.Window().Unload();
            else if (window_ != nullptr)
                DestroyWindow(window_);
            return 0;
        case WM_DESTROY:
            window_ = nullptr;
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(self, message, wParam, lParam);
}

LRESULT CALLBACK SetupWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* self = static_cast<SetupWindow*>(create->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<SetupWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr || (self->window_ != window && message != WM_DESTROY))
        return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_DESTROY)
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    return self->OnMessage(message, wParam, lParam);
}

LRESULT CALLBACK SetupWindow::PictureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        if (auto* canvas = reinterpret_cast<GdiCanvas*>(GetWindowLongPtrW(window, GWLP_USERDATA)))
            canvas->PaintOnto(dc);
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace setup::win32
