// MorvaneSetup on Windows: the form in its native window.
#include <sstream>

#include "setup/CommandLine.h"
#include "setup/InstallForm.h"
#include "setup/SystemPorts.h"
#include "setup/win32/SetupWindow.h"
#include "setup/win32/StandardStreams.h"
#include "setup/win32/Win32WindowServices.h"
#include "setup/win32/WindowsSetupPorts.h"

namespace {

// The end of a batch run: its error log on standard error, and its exit
// status as the program's.
int FinishBatch(const setup::InstallForm& form) {
    std::ostringstream log;
    const int status = setup::FinishBatchRun(form, log);
    setup::win32::WriteStandardError(log.str());
    return status;
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
    if (comStarted)
        CoUninitialize();
    return status;
}
