#include <string>

#include "platform/ComError.h"
#include "setup/InstallForm.h"
#include "setup/basGlobals.h"

// "Uninstall completely": after one confirmation, every registration item,
// then the COM+ application with the library's event source, then the
// library's own COM registration, then the end of the program.
namespace setup {

namespace {

constexpr int32_t kYesNoExclamationSecondDefault = 308;
constexpr int32_t kAnswerYes = 6;

}  // namespace

std::string InstallForm::UninstallQuestion() const {
    return std::string("COM+ application and all event registration items will be removed.") +
           "\r" + "After that the " + window_.Caption() + " program will be closed automatically." +
           "\r\r" + "Continue?";
}

void InstallForm::Command4_Click() {
    if (ports_.messageBox.Show(UninstallQuestion(), kYesNoExclamationSecondDefault,
                               window_.Caption()) != kAnswerYes) {
        return;
    }
    // The CHANGE handler restores the default pointer when it runs.
    window_.SetMousePointer(forms::Form::kPointerHourglass);
    RemoveEveryRegistration();
    ComPlus::UninstallComPlusApp(comPlus_, basGlobals::kProductWord, sUserName);
    ComPlus::RemoveEventSource(comPlus_, basGlobals::kProductWord, sUserName);
    UnregisterLibrary();
    Command2.Click();
}

// The library in the program's own folder, where the setup program is
// installed beside it, is loaded from there by its full path; on Windows
// that is the first place the bare file name is looked for anyway. Its
// result is not looked at, and a library that cannot be loaded does not
// stop the uninstall.
void InstallForm::UnregisterLibrary() {
    try {
        platform::FileSystem& fileSystem = ports_.fileSystem;
        const std::string folder = fileSystem.ProgramFolder();
        fileSystem.ChangeDirectory(folder);
        const std::string library =
            fileSystem.JoinPath(folder, fileSystem.LibraryFileName(basGlobals::kProductWord));
        ports_.activation.BindExport(library, "DllUnregisterServer")();
    } catch (const platform::ComError& error) {
        log_.AddMessage(FailureText("DllUnregisterServer", error));
    }
}

}  // namespace setup
