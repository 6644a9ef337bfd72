// The setup window with native controls: it opens, shows the model, feeds
// clicks and selections back, draws the progress box with GDI, and closes
// itself through Exit. Runs under a virtual display.
#include "setup/InstallForm.h"
#include "setup/SystemPorts.h"
#include "setup/win32/SetupWindow.h"
#include "setup/win32/Win32WindowServices.h"
#include "setup/win32/WindowsSetupPorts.h"
#include "tests/win32/Check.h"
#include "tests/win32/TestMain.h"

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

void Pump(int milliseconds) {
    setup::win32::Win32EventLoop loop;
    for (int waited = 0; waited < milliseconds; waited += 10) {
        loop.DoEvents();
        Sleep(10);
    }
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
    setup::win32::Win32EventLoop eventLoop;
    setup::win32::Win32TextMeasure textMeasure;
    setup::InstallForm form(setup::SystemPorts(box, eventLoop, textMeasure), "");
    setup::win32::SetupWindow window(form, GetModuleHandleW(nullptr));
    form.Form_Load();
    check::Expect("start-up keeps the window", !form.Window().IsUnloaded());
    if (form.Window().IsUnloaded())
        return check::Finish();
    window.Show(SW_SHOWNORMAL);
    Pump(300);
    box.shown.clear();
    check::Group("opening", [&] { Opening(form, window); });
    check::Group("check boxes", [&] { CheckBoxes(form, window); });
    check::Group("lists", [&] { Lists(form, window); });
    check::Group("progress box", [&] { Progress(form, window); });
    check::Group("message boxes", [&] { MessageBoxes(window.Handle()); });
    check::Group("command line", CommandLines);
    check::Group("closing", [&] { Closing(form, window); });
    return check::Finish();
}
