// MorvaneHiddenDesktop.exe PROGRAM [ARGUMENTS...]: runs a Windows program
// on a desktop of its own on Wine's null graphics driver, where windows are
// created and never shown, as the server gives a scheduled task a hidden
// desktop; for runs without a display. The program gets the rest of this
// process's command line as it stands, its current folder and its
// standard handles, and its exit status is this process's.
//
// The desktop is the run's own, so the prefix's shared desktop, which
// Windows programs with a display open their windows on, stays as it is.
// Wine's desktop process for it ends with this process.
#include <windows.h>

#include <string>

namespace {

// Our own failures, told apart from the program's statuses as far as can be.
constexpr int kNoDesktop = 125;
constexpr int kNoProgram = 127;

// The command line after this program's own name.
std::wstring CommandTail() {
    const wchar_t* line = GetCommandLineW();
    bool quoted = false;
    for (; *line != L'\0' && (quoted || (*line != L' ' && *line != L'\t')); ++line) {
        if (*line == L'"')
            quoted = !quoted;
    }
    while (*line == L' ' || *line == L'\t')
        ++line;
    return line;
}

std::string Utf8(const std::wstring& text) {
    std::string bytes(text.size() * 3, '\0');
    bytes.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                     bytes.data(), static_cast<int>(bytes.size()), nullptr,
                                     nullptr));
    return bytes;
}

int Fail(const std::string& what, int status) {
    const std::string line =
        "MorvaneHiddenDesktop: " + what + " (error " + std::to_string(GetLastError()) + ")\r\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), line.data(), static_cast<DWORD>(line.size()),
              &written, nullptr);
    return status;
}

// Starts Wine's desktop process for a new desktop of that name on the null
// driver, and waits until it serves the desktop (its message loop is idle).
// It runs in a job that ends it when this process ends, however that ends:
// the desktop is the run's, and no desktop process outlives it to keep the
// prefix's Wine session alive.
bool StartNullDesktop(const std::wstring& name) {
    HANDLE job = CreateJobObjectW(nullptr, nullptr);  // open until this process ends
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job == nullptr ||
        !SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits))
        return false;
    std::wstring command = L"explorer.exe /desktop=" + name + L",1024x768,null";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION desktop{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                        nullptr, &startup, &desktop))
        return false;
    const bool inJob = AssignProcessToJobObject(job, desktop.hProcess);
    if (inJob)
        ResumeThread(desktop.hThread);
    else
        TerminateProcess(desktop.hProcess, 1);
    const bool ready = inJob && WaitForInputIdle(desktop.hProcess, 60000) == 0;
    CloseHandle(desktop.hThread);
    CloseHandle(desktop.hProcess);
    return ready;
}

}  // namespace

int main() {
    std::wstring program = CommandTail();
    if (program.empty())
        return Fail("usage: MorvaneHiddenDesktop.exe PROGRAM [ARGUMENTS...]", kNoProgram);
    std::wstring name = L"MorvaneHidden" + std::to_wstring(GetCurrentProcessId());
    if (!StartNullDesktop(name))
        return Fail("no desktop on the null graphics driver", kNoDesktop);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.lpDesktop = name.data();
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION run{};
    if (!CreateProcessW(nullptr, program.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &run))
        return Fail("cannot start " + Utf8(program), kNoProgram);
    WaitForSingleObject(run.hProcess, INFINITE);
    DWORD status = 0;
    GetExitCodeProcess(run.hProcess, &status);
    CloseHandle(run.hThread);
    CloseHandle(run.hProcess);
    return static_cast<int>(status);
}
