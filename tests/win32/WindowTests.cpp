// The setup window with native controls: it opens, shows the model, feeds
// clicks and selections back, draws the progress box with GDI, and closes
// itself through Exit. Runs under a virtual display.
#include "setup/CommandLine.h"
#include "setup/InstallForm.h"
#include "setup/Progress.h"
#include "setup/SystemPorts.h"
#include "setup/win32/SetupWindow.h"
#include "setup/win32/Win32WindowServices.h"
#include "setup/win32/WindowsSetupPorts.h"
#include "tests/setup/PercentCases.h"
#include "tests/win32/Check.h"
#include "tests/win32/TestMain.h"

// After the form: the Windows headers' macros would rename its members.
#include "platform/win32/WideText.h"

#include <commctrl.h>

#include <atomic>
#include <thread>
#include <vector>

#undef MessageBox

namespace {

// Answers every message box at once and remembers it.
class RecordingMessageBox : public setup::forms::MessageBox {
  public:
    struct Shown {
        std::string text;
        int32_t style;
        std::string title;
    };
    int32_t Show(const std::string& text, int32_t style, const std::string& title) override {
        shown.push_back({text, style, title});
        return setup::forms::kAnswerOk;
    }
    std::vector<Shown> shown;
};

std::string WindowText(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, 511);
    return text;
}

// The form's event loop, which passes the window's keys through the
// dialog navigation.
setup::win32::Win32EventLoop eventLoop;

void Pump(int milliseconds) {
    for (int waited = 0; waited < milliseconds; waited += 10) {
        eventLoop.DoEvents();
        Sleep(10);
    }
}

// A key press (with Shift held) as the keyboard sends it.
void Press(WORD key, bool shift = false) {
    std::vector<INPUT> inputs;
    auto add = [&inputs](WORD vk, DWORD flags) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.dwFlags = flags;
        inputs.push_back(input);
    };
    if (shift)
        add(VK_SHIFT, 0);
    add(key, 0);
    add(key, KEYEVENTF_KEYUP);
    if (shift)
        add(VK_SHIFT, KEYEVENTF_KEYUP);
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    Pump(40);
}

void Opening(setup::InstallForm& form, setup::win32::SetupWindow& window) {
    check::Expect("the window is visible", IsWindowVisible(window.Handle()) != FALSE);
    check::ExpectEqual("the caption is the form's", form.Window().Caption(),
                       WindowText(window.Handle()));
    check::ExpectEqual("a check box shows its caption", "Register store-wide ",
                       WindowText(window.ControlHandle("Check2")));
    check::ExpectEqual("Exit", "Exit", WindowText(window.ControlHandle("Command2")));
    wchar_t tip[512] = {};
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = window.Handle();
    tool.uId = reinterpret_cast<UINT_PTR>(window.ControlHandle("Label5"));
    tool.lpszText = tip;
    SendMessageW(window.ToolTips(), TTM_GETTEXTW, 511, reinterpret_cast<LPARAM>(&tool));
    std::string tipText;
    for (const wchar_t* c = tip; *c != 0; ++c)
        tipText += static_cast<char>(*c);
    check::Expect("the link label has a tool tip", !form.Label5.ToolTipText().empty());
    check::ExpectEqual("the link label's tool tip", form.Label5.ToolTipText(), tipText);
}

// With an entry selected the operation box may be ticked: a native click
// reaches the model, and the model's value shows natively.
void CheckBoxes(setup::InstallForm& form, setup::win32::SetupWindow& window) {
    form.MbxInstList.Clear();
    form.MbxInstList.AddItem("Ann Example / ann@example.org / First Storage Group");
    form.MbxInstList.SetSelected(0, true);
    form.Check3.SetEnabled(true);
    form.Check3.SetVisible(true);
    HWND check3 = window.ControlHandle("Check3");
    SendMessageW(check3, BM_CLICK, 0, 0);
    check::ExpectEqual("a click ticks the model's box", 1, form.Check3.Value());
    check::ExpectEqual("and the native one", BST_CHECKED, SendMessageW(check3, BM_GETCHECK, 0, 0));
    SendMessageW(check3, BM_CLICK, 0, 0);
    check::ExpectEqual("a second click clears it", 0, form.Check3.Value());
    form.Check3.SetValue(2);
    check::ExpectEqual("grey from code shows grey", BST_INDETERMINATE,
                       SendMessageW(check3, BM_GETCHECK, 0, 0));
    form.Check3.SetEnabled(false);
    check::Expect("a disabled model box disables the native one", !IsWindowEnabled(check3));
    SendMessageW(check3, BM_CLICK, 0, 0);
    check::ExpectEqual("and a click on it changes nothing", 2, form.Check3.Value());
    form.Check3.SetValue(0);
}

void Lists(setup::InstallForm& form, setup::win32::SetupWindow& window) {
    HWND list = window.ControlHandle("MbxInstList");
    // The refresh at activation may have disabled the list.
    form.MbxInstList.SetEnabled(true);
    form.MbxInstList.SetVisible(true);
    form.MbxInstList.Clear();
    form.MbxInstList.AddItem("Ann Example / ann@example.org / First Storage Group");
    form.MbxInstList.AddItem(
        "A much longer entry of Bob Example / bob@example.org / Mailbox Store");
    check::ExpectEqual("the entries reach the list", 2, SendMessageW(list, LB_GETCOUNT, 0, 0));
    form.MbxInstList.SetSelected(0, true);
    check::Expect("a selection from code shows", SendMessageW(list, LB_GETSEL, 0, 0) > 0);
    SendMessageW(list, LB_SETSEL, TRUE, 1);
    SendMessageW(window.Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
    check::Expect("a selection by the user reaches the model", form.MbxInstList.Selected(1));
    form.ListHScroll();
    check::Expect("the list gets a scroll extent wider than a scroll bar",
                  form.MbxInstList.HorizontalExtent() > GetSystemMetrics(SM_CXVSCROLL));
    check::ExpectEqual("LB_SETHORIZONTALEXTENT reached the native list",
                       form.MbxInstList.HorizontalExtent(),
                       SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0));
}

bool AnyPixel(HDC dc, int left, int right, int top, int bottom, COLORREF color) {
    for (int x = left; x <= right; ++x)
        for (int y = top; y <= bottom; ++y)
            if (GetPixel(dc, x, y) == color)
                return true;
    return false;
}

void Progress(setup::InstallForm& form, setup::win32::SetupWindow& window) {
    setup::win32::GdiCanvas* canvas = window.PictureCanvas();
    check::Expect("the picture box has a canvas", canvas != nullptr);
    if (canvas == nullptr)
        return;
    // Half of 100 units: the centred "50%" starts left of the bar's end.
    form.Picture1.SetScaleWidth(100);
    int32_t half = 50;
    form.UpdateStatus(half);
    HDC dc = canvas->Dc();
    const int width = canvas->PixelWidth();
    const int height = canvas->PixelHeight();
    const COLORREF blue = RGB(0, 0, 255);
    const COLORREF white = RGB(255, 255, 255);
    check::ExpectEqual("the bar is blue at the left edge", blue, GetPixel(dc, 1, 1));
    check::ExpectEqual("the box is white at the right edge", white, GetPixel(dc, width - 2, 1));
    check::Expect("text under the bar is inverted to white",
                  AnyPixel(dc, width / 2 - 20, width / 2 - 2, 2, height - 3, white));
    check::Expect("text beside the bar stays blue",
                  AnyPixel(dc, width / 2 + 2, width / 2 + 20, 2, height - 3, blue));
}

void Percentages() {
    for (const auto& row : percentcases::kPercentCases) {
        check::ExpectEqual(std::to_string(row.position) + " of " + std::to_string(row.total),
                           row.text, setup::PercentText(row.position, row.total));
    }
}

// Every caption fits its control, measured in the control's own font: a
// check box or option also holds its square and the gap after it.
void Captions(setup::win32::SetupWindow& window) {
    for (const char* name : {"Check2", "Check3", "Check4", "Check5", "Check7", "Option1", "Option2",
                             "Command1", "Command3", "Command4", "Command5", "Label2", "Label3",
                             "Label5", "Label7", "Label8", "Label9", "Frame1"}) {
        HWND control = window.ControlHandle(name);
        HDC dc = GetDC(control);
        HGDIOBJ previous =
            SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
        wchar_t text[256] = {};
        GetWindowTextW(control, text, 255);
        RECT needed{0, 0, 0, 0};
        DrawTextW(dc, text, -1, &needed, DT_CALCRECT | DT_SINGLELINE);
        SelectObject(dc, previous);
        ReleaseDC(control, dc);
        const bool boxed = name[0] == 'O' || std::string(name).starts_with("Check");
        const int square = boxed ? GetSystemMetrics(SM_CXMENUCHECK) + 4 : 0;
        RECT client;
        GetClientRect(control, &client);
        check::Expect(std::string(name) + "'s caption is whole",
                      needed.right + square <= client.right,
                      std::to_string(needed.right + square) + " > " + std::to_string(client.right));
    }
}

// Every control the user works with, in the keyboard order: top left to
// bottom right, each list after its operation box and "Select All".
std::vector<std::string> KeyboardOrder(setup::InstallForm& form) {
    return {"Check2",         "Command5",
            "SysMbxInstList", "Check5",
            "Command8",       "SysMbxUninstList",
            "Check3",         "Command6",
            "MbxInstList",    "Check4",
            "Command7",       "MbxUninstList",
            "Check7",         form.Option1.Value() ? "Option1" : "Option2",
            "Command1",       "Command4",
            "Command2",       "txtErr",
            "Command3"};
}

std::string FocusName(setup::InstallForm& form, setup::win32::SetupWindow& window) {
    for (const std::string& name : KeyboardOrder(form))
        if (window.ControlHandle(name) == GetFocus())
            return name;
    return "(none)";
}

// Tab and Shift+Tab walk the order; the arrow keys move within the two
// options and select; Space ticks a box; the focus never hides.
void Keyboard(setup::InstallForm& form, setup::win32::SetupWindow& window) {
    for (setup::forms::Control* control : std::initializer_list<setup::forms::Control*>{
             &form.Check2, &form.Check3, &form.Check4, &form.Check5, &form.Check7, &form.Command5,
             &form.Command6, &form.Command7, &form.Command8, &form.SysMbxInstList,
             &form.SysMbxUninstList, &form.MbxInstList, &form.MbxUninstList})
        control->SetEnabled(true);
    form.Log().AddMessage("shown");
    form.Log().UpdateVisibility();
    const std::vector<std::string> order = KeyboardOrder(form);
    SetFocus(window.ControlHandle(order.front()));
    std::string forward = order.front(), backward = order.back();
    for (size_t i = 1; i < order.size(); ++i) {
        Press(VK_TAB);
        forward += " " + FocusName(form, window);
    }
    for (size_t i = order.size() - 1; i-- > 0;) {
        Press(VK_TAB, true);
        backward = FocusName(form, window) + " " + backward;
    }
    std::string expected;
    for (const std::string& name : order)
        expected += (expected.empty() ? "" : " ") + name;
    check::ExpectEqual("Tab follows the order", expected, forward);
    check::ExpectEqual("Shift+Tab goes back", expected, backward);

    SetFocus(window.ControlHandle("Option1"));
    Press(VK_DOWN);
    check::Expect("Down moves to the other option and selects it",
                  GetFocus() == window.ControlHandle("Option2") && form.Option2.Value());
    Press(VK_DOWN);
    check::Expect("and stays within the two options",
                  GetFocus() == window.ControlHandle("Option1"));

    form.MbxInstList.AddItem("Ann Example / ann@example.org / First Storage Group");
    form.MbxInstList.SetSelected(form.MbxInstList.ListCount() - 1, true);
    SetFocus(window.ControlHandle("Check3"));
    Press(VK_SPACE);
    check::ExpectEqual("Space ticks the box", 1, form.Check3.Value());
    form.Check3.SetEnabled(false);
    check::Expect("disabling the focused box passes the focus on",
                  GetFocus() == window.ControlHandle("Command6"));
    form.Check3.SetValue(0);

    SendMessageW(window.Handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
    check::Expect("the focus mark is never hidden",
                  (SendMessageW(window.ControlHandle("MbxInstList"), WM_QUERYUISTATE, 0, 0) &
                   UISF_HIDEFOCUS) == 0);
}

// 3,000 entries and "Select All": the native list holds exactly the
// model's entries and marks.
void LongLists(setup::InstallForm& form, setup::win32::SetupWindow& window) {
    HWND list = window.ControlHandle("MbxInstList");
    form.MbxInstList.Clear();
    for (int i = 0; i < 3000; ++i)
        form.MbxInstList.AddItem("EX1 / SG / STORE / User " + std::to_string(i) + " / u" +
                                 std::to_string(i) + "@example.org / u" + std::to_string(i));
    form.Command6.SetCaption(setup::InstallForm::kSelectAllCaption);
    form.ListSelectAll(form.Command6, form.MbxInstList);
    int differing = 0;
    for (int i = 0; i < 3000; ++i) {
        wchar_t text[128] = {};
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        differing += platform::win32::WideToUtf8(text) != form.MbxInstList.List(i);
    }
    check::ExpectEqual("the native list holds the 3,000 entries", 3000,
                       SendMessageW(list, LB_GETCOUNT, 0, 0));
    check::ExpectEqual("in the model's order", 0, differing);
    check::ExpectEqual("all of them selected", 3000, SendMessageW(list, LB_GETSELCOUNT, 0, 0));
    form.MbxInstList.SetSelected(1234, false);
    check::Expect("deselecting one entry shows on that entry",
                  SendMessageW(list, LB_GETSEL, 1234, 0) == 0 &&
                      SendMessageW(list, LB_GETSELCOUNT, 0, 0) == 2999);
    form.MbxInstList.Clear();
    check::ExpectEqual("Clear empties the native list", 0, SendMessageW(list, LB_GETCOUNT, 0, 0));
}

std::string VersionValue(const std::vector<char>& info, const wchar_t* name) {
    wchar_t* value = nullptr;
    UINT length = 0;
    std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueW(info.data(), path.c_str(), reinterpret_cast<void**>(&value), &length))
        return "";
    return platform::win32::WideToUtf8(value);
}

// What a file's properties show: the project's version, the product's
// name, a description. And the setup program's manifest (this program has
// the same) gives the window the common controls 6, the only ones that
// know a button's ideal size.
void FileProperties(HWND button) {
    for (const wchar_t* file : {L"Morvane.dll", L"MorvaneSetup.exe"}) {
        std::vector<char> info(GetFileVersionInfoSizeW(file, nullptr) + 1);
        GetFileVersionInfoW(file, 0, static_cast<DWORD>(info.size()), info.data());
        const std::string name = platform::win32::WideToUtf8(file) + " ";
        for (const wchar_t* key : {L"FileVersion", L"ProductVersion"})
            check::ExpectEqual(name + platform::win32::WideToUtf8(key), MORVANE_VERSION,
                               VersionValue(info, key));
        check::ExpectEqual(name + "ProductName", "Morvane", VersionValue(info, L"ProductName"));
        check::Expect(name + "has a description", !VersionValue(info, L"FileDescription").empty());
    }
    SIZE ideal{0, 0};
    check::Expect("the window's controls are the common controls 6",
                  SendMessageW(button, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)) &&
                      ideal.cx > 0);
}

// A real message box with the uninstall question's style, answered by a
// helper thread that presses Yes.
void MessageBoxes(HWND owner) {
    std::atomic<bool> done{false};
    std::thread answerer([&done] {
        while (!done) {
            if (HWND box = FindWindowA("#32770", "Morvane setup test")) {
                PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0);
                return;
            }
            Sleep(20);
        }
    });
    setup::win32::Win32MessageBox box;
    box.SetOwner(owner);
    int32_t answer = box.Show("Remove everything?", 308, "Morvane setup test");
    done = true;
    answerer.join();
    check::ExpectEqual("the Yes button answers 6", setup::forms::kAnswerYes, answer);
}

void CommandLines() {
    using setup::win32::ProgramArguments;
    check::ExpectEqual("a quoted program path", "/b",
                       ProgramArguments(L"\"C:\\Program Files\\Morvane\\MorvaneSetup.exe\"  /b"));
    check::ExpectEqual("a bare program name", "-b", ProgramArguments(L"MorvaneSetup.exe -b"));
    check::ExpectEqual("no arguments", "", ProgramArguments(L"MorvaneSetup.exe"));
    check::ExpectEqual("a quoted name alone", "", ProgramArguments(L"\"MorvaneSetup.exe\""));
    check::ExpectEqual("arguments keep their inner blanks", "-b  x",
                       ProgramArguments(L"MorvaneSetup.exe\t-b  x"));
    check::Expect("--version after /b is batch mode's text",
                  setup::RequestOf(ProgramArguments(L"MorvaneSetup.exe /b --version")) ==
                      setup::ProgramRequest::Form);
    check::Expect("--version alone is the program's own",
                  setup::RequestOf(ProgramArguments(L"MorvaneSetup.exe --version")) ==
                      setup::ProgramRequest::Version);
}

// A directory of records homed nowhere: the walk reads them one by one and
// yields to the window after each.
class PassingDirectory : public platform::directory::Ado,
                         public platform::directory::Command,
                         public platform::directory::Recordset {
  public:
    int read = 0;
    std::shared_ptr<platform::directory::Connection> CreateConnection() override {
        throw platform::ComError(-2147467259, "no connection");
    }
    std::shared_ptr<platform::directory::Command> CreateCommand() override {
        return {std::shared_ptr<void>(), this};
    }
    void SetActiveConnection(const std::shared_ptr<platform::directory::Connection>&) override {}
    void SetCommandText(const std::string&) override {}
    void SetProperty(const std::string&, const platform::Variant&) override {}
    std::shared_ptr<platform::directory::Recordset> Execute(int32_t) override {
        return {std::shared_ptr<void>(), this};
    }
    bool IsEOF() override { return read == 5; }
    int32_t RecordCount() override { return 5; }
    platform::Variant FieldValue(const std::string&) override { return platform::Variant::Null(); }
    void MoveNext() override { ++read; }
    void Close() override {}
};

// The close box during a walk: the window stays until the walk has read
// its next record, then the form unloads and the window goes.
void ClosingDuringAWalk(setup::SetupPorts system) {
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }  // left by the window closed before
    PassingDirectory directory;
    RecordingMessageBox box;
    setup::InstallForm form(
        setup::SetupPorts{system.activation, system.catalog, system.machine, system.systemInfo,
                          directory, system.shell, system.clock, system.profile, system.fileSystem,
                          system.eventSources, box, eventLoop, system.textMeasure,
                          system.linkAddress},
        "");
    setup::win32::SetupWindow window(form, GetModuleHandleW(nullptr));
    window.Show(SW_SHOWNORMAL);
    Pump(100);
    PostMessageW(window.Handle(), WM_CLOSE, 0, 0);
    form.GetUsersWithMailboxes();
    check::ExpectEqual("the walk read one more record", 1, directory.read);
    check::Expect("then the form unloaded", form.Window().IsUnloaded());
    check::Expect("and the window went", window.Destroyed());
}

// Refuses the setup window's creation with an error of its own, as the
// system refuses a window it cannot make.
LRESULT CALLBACK RefuseTheSetupWindow(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        const LPCWSTR name = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs->lpszClass;
        if (!IS_INTRESOURCE(name) && lstrcmpW(name, L"MorvaneSetupWindow") == 0) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return 1;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The program's line names the error of the creation that failed, not
// that of a call after it.
void WindowThatCannotBeCreated(setup::SetupPorts system) {
    setup::InstallForm form(system, "-b");
    HHOOK hook = SetWindowsHookExW(WH_CBT, RefuseTheSetupWindow, nullptr, GetCurrentThreadId());
    setup::win32::SetupWindow window(form, GetModuleHandleW(nullptr));
    UnhookWindowsHookEx(hook);
    check::Expect("no window", window.Handle() == nullptr);
    check::ExpectEqual("the refusal's own error", ERROR_NOT_ENOUGH_MEMORY, window.CreationError());
    const std::string line = setup::win32::WindowCreationFailure(window.CreationError());
    const std::string start = "The setup window could not be created - ERROR: -2147024888 ";
    check::Expect("the line gives it with the system's text",
                  line.starts_with(start) && line.size() > start.size(), line);
}

void Closing(setup::InstallForm& form, setup::win32::SetupWindow& window) {
    HWND handle = window.Handle();
    form.Command2.SetEnabled(true);
    form.Command2.SetVisible(true);
    SendMessageW(window.ControlHandle("Command2"), BM_CLICK, 0, 0);
    Pump(100);
    check::Expect("Exit unloads the form", form.Window().IsUnloaded());
    check::Expect("and closes the window", window.Destroyed() && !IsWindow(handle));
}

}  // namespace

int main() {
    testsupport_win32::ComApartment apartment;
    RecordingMessageBox box;
    setup::win32::Win32TextMeasure textMeasure;
    setup::InstallForm form(setup::SystemPorts(box, eventLoop, textMeasure), "");
    setup::win32::SetupWindow window(form, GetModuleHandleW(nullptr));
    eventLoop.SetDialog(window.Handle());
    form.Form_Load();
    check::Expect("start-up keeps the window", !form.Window().IsUnloaded());
    if (form.Window().IsUnloaded())
        return check::Finish();
    window.Show(SW_SHOWNORMAL);
    Pump(300);
    box.shown.clear();
    check::Group("opening", [&] { Opening(form, window); });
    check::Group("captions", [&] { Captions(window); });
    check::Group("keyboard", [&] { Keyboard(form, window); });
    check::Group("check boxes", [&] { CheckBoxes(form, window); });
    check::Group("lists", [&] { Lists(form, window); });
    check::Group("long lists", [&] { LongLists(form, window); });
    check::Group("progress box", [&] { Progress(form, window); });
    check::Group("percentage", Percentages);
    check::Group("message boxes", [&] { MessageBoxes(window.Handle()); });
    check::Group("command line", CommandLines);
    check::Group("file properties", [&] { FileProperties(window.ControlHandle("Command1")); });
    check::Group("closing", [&] { Closing(form, window); });
    check::Group("closing during a walk",
                 [&] { ClosingDuringAWalk(setup::SystemPorts(box, eventLoop, textMeasure)); });
    check::Group("a window that cannot be created", [&] {
        WindowThatCannotBeCreated(setup::SystemPorts(box, eventLoop, textMeasure));
    });
    return check::Finish();
}
