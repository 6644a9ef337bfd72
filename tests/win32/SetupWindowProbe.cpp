// setup_window_probe.exe: drives the native setup window from outside, as
// a person does. It starts MorvaneSetup.exe in the current folder's
// context, finds its window, waits until the first mailbox walk has filled
// the lists, prints the four lists with their operation boxes (the text of
// tests/support/SetupWindowText.h), then ends the program:
//
//   setup_window_probe.exe PROGRAM               clicks "Exit"
//   setup_window_probe.exe PROGRAM --uninstall   selects every mailbox for per-mailbox
//                                                registration, prints the lists again,
//                                                clicks "Uninstall completely", prints
//                                                the question and answers Yes
//   setup_window_probe.exe PROGRAM --hold FILE   clicks "Exit" once FILE exists
//
// and prints "exit N", the program's exit status. Its own status is 0 when
// every step happened, 1 (with a line on standard error) otherwise; the
// program is never left running.
#include "platform/win32/WindowsHeaders.h"

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/win32/WideText.h"
#include "tests/support/SetupWindowText.h"

namespace {

using platform::win32::Utf8ToWide;
using platform::win32::WideToUtf8;

// Every wait ends here: a window that never fills is a failure, not a hang.
constexpr DWORD kLimitMs = 120000;

struct ProbeFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Child {
    HWND handle;
    std::wstring className;
    std::wstring text;
    RECT place;
};

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 63);
    return name;
}

// The window's own text, read without a message to its (busy) thread.
std::wstring TextOf(HWND window) {
    wchar_t text[1024] = {};
    InternalGetWindowText(window, text, 1023);
    return text;
}

BOOL CALLBACK AddChild(HWND window, LPARAM children) {
    Child child{window, ClassOf(window), TextOf(window), {}};
    GetWindowRect(window, &child.place);
    reinterpret_cast<std::vector<Child>*>(children)->push_back(child);
    return TRUE;
}

std::vector<Child> ChildrenOf(HWND parent) {
    std::vector<Child> children;
    EnumChildWindows(parent, &AddChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

// Polls until done says so; the program's end or the limit first is a
// failure.
void WaitUntil(HANDLE process, const char* what, const std::function<bool()>& done) {
    for (DWORD waited = 0; waited < kLimitMs; waited += 20) {
        if (done())
            return;
        if (WaitForSingleObject(process, 20) == WAIT_OBJECT_0)
            throw ProbeFailure(std::string("the program ended before ") + what);
    }
    throw ProbeFailure(std::string("timed out waiting for ") + what);
}

struct TopWindowSearch {
    DWORD processId;
    const wchar_t* className;
    std::wstring titleStart;
    HWND found = nullptr;
};

BOOL CALLBACK MatchTopWindow(HWND window, LPARAM state) {
    auto& search = *reinterpret_cast<TopWindowSearch*>(state);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search.processId || !IsWindowVisible(window) ||
        (search.className != nullptr && ClassOf(window) != search.className) ||
        TextOf(window).rfind(search.titleStart, 0) != 0)
        return TRUE;
    search.found = window;
    return FALSE;
}

// A visible top-level window of the process (of that class, unless
// nullptr) whose title begins with titleStart.
HWND TopWindow(DWORD processId, const wchar_t* className, const std::wstring& titleStart) {
    TopWindowSearch search{processId, className, titleStart};
    EnumWindows(&MatchTopWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

const Child& Find(const std::vector<Child>& children, const std::wstring& className,
                  const std::wstring& text) {
    for (const Child& child : children)
        if (_wcsicmp(child.className.c_str(), className.c_str()) == 0 && child.text == text)
            return child;
    throw ProbeFailure("no " + WideToUtf8(className) + " \"" + WideToUtf8(text) + "\"");
}

// The list right under an operation box: the nearest list below it that
// starts at the box's left edge.
HWND ListUnder(const std::vector<Child>& children, const Child& box) {
    const Child* best = nullptr;
    for (const Child& child : children) {
        if (_wcsicmp(child.className.c_str(), L"ListBox") != 0 ||
            child.place.left != box.place.left || child.place.top <= box.place.top)
            continue;
        if (best == nullptr || child.place.top < best->place.top)
            best = &child;
    }
    if (best == nullptr)
        throw ProbeFailure("no list under \"" + WideToUtf8(box.text) + "\"");
    return best->handle;
}

void Print(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kLimitMs, &result))
        throw ProbeFailure("the window did not answer");
    return static_cast<LRESULT>(result);
}

struct SetupWindow {
    HWND window;
    std::vector<Child> children;

    testsupport::ShownPanel Panel(const testsupport::PanelName& name) const {
        const Child& box = Find(children, L"Button", Utf8ToWide(name.caption));
        const HWND list = ListUnder(children, box);
        testsupport::ShownPanel panel;
        panel.box = name.box;
        panel.value = static_cast<int>(Ask(box.handle, BM_GETCHECK));
        panel.enabled = IsWindowEnabled(box.handle) != FALSE;
        panel.list = name.list;
        const int count = static_cast<int>(Ask(list, LB_GETCOUNT));
        for (int i = 0; i < count; ++i) {
            std::wstring entry(static_cast<size_t>(Ask(list, LB_GETTEXTLEN, i)) + 1, L'\0');
            entry.resize(static_cast<size_t>(
                Ask(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(entry.data()))));
            panel.entries.push_back(WideToUtf8(entry));
            panel.selected.push_back(Ask(list, LB_GETSEL, i) > 0);
        }
        return panel;
    }

    bool ListsHoldEntries() const {
        for (const auto& name : testsupport::kSetupPanels) {
            const Child& box = Find(children, L"Button", Utf8ToWide(name.caption));
            if (Ask(ListUnder(children, box), LB_GETCOUNT) > 0)
                return true;
        }
        return false;
    }

    // A click on a button as the button reports it to the window; a
    // click that opens a modal box is posted, any other one waited for.
    void Click(const Child& button, bool wait) const {
        const WPARAM command = MAKEWPARAM(GetDlgCtrlID(button.handle), BN_CLICKED);
        const auto from = reinterpret_cast<LPARAM>(button.handle);
        if (wait)
            Ask(window, WM_COMMAND, command, from);
        else
            PostMessageW(window, WM_COMMAND, command, from);
    }
    void Click(const std::wstring& caption, bool wait) const {
        Click(Find(children, L"Button", caption), wait);
    }

    // The "Select All" button on the row of an operation box.
    const Child& SelectAllBeside(const std::wstring& boxCaption) const {
        const Child& box = Find(children, L"Button", boxCaption);
        for (const Child& child : children)
            if (child.text == L"Select All" && child.place.left > box.place.left &&
                child.place.top <= box.place.bottom && child.place.bottom >= box.place.top)
                return child;
        throw ProbeFailure("no \"Select All\" beside \"" + WideToUtf8(boxCaption) + "\"");
    }

    void PrintLists() const {
        std::vector<testsupport::ShownPanel> panels;
        for (const auto& name : testsupport::kSetupPanels)
            panels.push_back(Panel(name));
        Print(testsupport::SetupWindowText(panels));
    }
};

// The walk shows the progress box while it fills the lists and hides it at
// its end; the lists are empty until the walk. Once the box is hidden with
// entries in the lists, a message answered by the window's thread means
// that the first activation has returned to the message loop: the walk
// yields to it only between records.
void WaitForFirstWalk(HANDLE process, const SetupWindow& setup) {
    const Child* picture = nullptr;
    for (const Child& child : setup.children)
        if (child.className == L"MorvanePictureBox")
            picture = &child;
    if (picture == nullptr)
        throw ProbeFailure("the window has no progress box");
    WaitUntil(process, "the lists to be filled",
              [&] { return !IsWindowVisible(picture->handle) && setup.ListsHoldEntries(); });
    Ask(setup.window, WM_NULL);
}

std::string Escaped(const std::wstring& text) {
    std::string escaped;
    for (char c : WideToUtf8(text))
        escaped += c == '\r'   ? std::string("\\r")
                   : c == '\n' ? std::string("\\n")
                               : std::string(1, c);
    return escaped;
}

// The question of "Uninstall completely": prints its title, text and
// buttons, and answers Yes.
void AnswerQuestionYes(const PROCESS_INFORMATION& started, const std::wstring& caption) {
    HWND box = nullptr;
    WaitUntil(started.hProcess, "the question", [&] {
        return (box = TopWindow(started.dwProcessId, L"#32770", caption)) != nullptr;
    });
    std::wstring text;
    for (const Child& child : ChildrenOf(box))
        if (_wcsicmp(child.className.c_str(), L"Static") == 0 && child.text.size() > text.size())
            text = child.text;
    HWND yes = GetDlgItem(box, IDYES);
    Print("question: " + Escaped(TextOf(box)) + ": " + Escaped(text) + "\n");
    Print(std::string("buttons: ") + (yes != nullptr ? "Yes" : "") +
          (GetDlgItem(box, IDNO) != nullptr ? " No" : "") + "\n");
    if (yes == nullptr)
        throw ProbeFailure("the question has no Yes button");
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), reinterpret_cast<LPARAM>(yes));
}

void WaitForFile(HANDLE process, const std::wstring& file) {
    WaitUntil(process, "the hold file",
              [&] { return GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES; });
}

PROCESS_INFORMATION Start(const std::wstring& program) {
    std::wstring commandLine = L"\"" + program + L"\"";
    // The program's standard streams are the probe's: a batch log or a
    // failure line of the program reaches the caller.
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                        nullptr, &startup, &started))
        throw ProbeFailure("cannot start " + WideToUtf8(program) + " (error " +
                           std::to_string(GetLastError()) + ")");
    CloseHandle(started.hThread);
    return started;
}

void Probe(const std::vector<std::wstring>& words, const PROCESS_INFORMATION& started) {
    const std::wstring caption = L"Morvane setup";
    HWND window = nullptr;
    WaitUntil(started.hProcess, "the setup window", [&] {
        return (window = TopWindow(started.dwProcessId, nullptr, caption)) != nullptr;
    });
    SetupWindow setup{window, ChildrenOf(window)};
    WaitForFirstWalk(started.hProcess, setup);
    setup.PrintLists();
    const std::wstring action = words.size() > 2 ? words[2] : L"";
    if (action == L"--uninstall") {
        // Mailboxes selected for registration are not registered by the
        // uninstall: it unticks both register boxes first.
        setup.Click(setup.SelectAllBeside(L"Register per-mailbox"), true);
        setup.PrintLists();
        setup.Click(L"Uninstall completely", false);
        AnswerQuestionYes(started, TextOf(window));
    } else {
        if (action == L"--hold" && words.size() > 3)
            WaitForFile(started.hProcess, words[3]);
        setup.Click(L"Exit", false);
    }
    if (WaitForSingleObject(started.hProcess, kLimitMs) != WAIT_OBJECT_0)
        throw ProbeFailure("the program did not end");
    DWORD status = 0;
    GetExitCodeProcess(started.hProcess, &status);
    Print("exit " + std::to_string(status) + "\n");
}

}  // namespace

int main() {
    _setmode(_fileno(stdout), _O_BINARY);
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    const std::vector<std::wstring> words(arguments, arguments + count);
    LocalFree(arguments);
    if (words.size() < 2) {
        std::fputs("usage: setup_window_probe.exe PROGRAM [--uninstall | --hold FILE]\n", stderr);
        return 2;
    }
    PROCESS_INFORMATION started{};
    try {
        started = Start(words[1]);
        Probe(words, started);
        CloseHandle(started.hProcess);
        return 0;
    } catch (const ProbeFailure& failure) {
        std::fprintf(stderr, "setup_window_probe: %s\n", failure.what());
        if (started.hProcess != nullptr) {
            TerminateProcess(started.hProcess, 1);
            CloseHandle(started.hProcess);
        }
        return 1;
    }
}
