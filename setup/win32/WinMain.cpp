// MorvaneSetup on Windows: the form in its native window.
#include <sstream>

#include "platform/Clock.h"
#include "setup/CommandLine.h"
#include "setup/InstallForm.h"
#include "setup/SystemPorts.h"
#include "setup/win32/SetupWindow.h"
#include "setup/win32/StandardStreams.h"
#include "setup/win32/Win32WindowServices.h"
#include "setup/win32/WindowsSetupPorts.h"
// After the form's headers: the Windows headers rename some of its names.
#include "platform/win32/ComFailure.h"

namespace {

// The end of a batch run: its error log on standard error, and its exit
// status as the program's.
int FinishBatch(const setup::InstallForm& form) {
    std::ostringstream log;
    const int status = setup::FinishBatchRun(form, log);
    setup::win32::WriteStandardError(log.str());
    return status;
}

// A window that cannot be created (no desktop to show it on) ends the
// program at once with a line that says so, instead of a message loop
// that waits for a window that is not there.
int NoWindow(DWORD error) {
    setup::win32::WriteStandardError(
        "[" + platform::GeneralDateText(platform::SystemClock().Now()) + "] " +
        setup::win32::WindowCreationFailure(error) + "\r\n\r\n");
    return 1;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    const std::string arguments = setup::win32::ProgramArguments(GetCommandLineW());
    if (const setup::ProgramRequest request = setup::RequestOf(arguments);
        request != setup::ProgramRequest::Form) {
        setup::win32::WriteStandardOutput(setup::RequestAnswer(request, false));
        return 0;
    }
    const bool comStarted = SUCCEEDED(CoInitialize(nullptr));
    int status = 0;
    {
        setup::win32::Win32MessageBox messageBox;
        setup::win32::Win32EventLoop eventLoop;
        setup::win32::Win32TextMeasure textMeasure;
        setup::InstallForm form(setup::SystemPorts(messageBox, eventLoop, textMeasure), arguments);
        setup::win32::SetupWindow window(form, instance);
        if (window.Handle() == nullptr) {
            status = NoWindow(window.CreationError());
        } else {
            messageBox.SetOwner(window.Handle());
            eventLoop.SetDialog(window.Handle());
            form.Form_Load();
            if (!form.Window().IsUnloaded()) {
                window.Show(showCommand);
                eventLoop.Run();
            }
            if (form.blnBatchMode)
                status = FinishBatch(form);
        }
    }
    if (comStarted)
        CoUninitialize();
    return status;
}
