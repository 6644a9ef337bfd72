#include "setup/InstallForm.h"

#include <algorithm>

#include "platform/ComError.h"
#include "platform/Text.h"
#include "setup/basSettings.h"

namespace setup {

InstallForm::InstallForm(SetupPorts ports, std::string commandLine)
    : ports_(std::move(ports)),
      commandLine_(std::move(commandLine)),
      log_(txtErr, Command3, ports_.clock),
      comPlus_{ports_.catalog, ports_.fileSystem, log_, ports_.eventSources} {
    DesignControls();
    ConnectHandlers();
    // The first activation refreshes the lists with the COM+ state -1.
    hooks.refreshForm = [this](int16_t state) { RefreshForm(state); };
    hooks.loadDisplayFormat = [this] { basSettings::LoadDisplayFormat(*this); };
}

// The controls as the window is designed.
void InstallForm::DesignControls() {
    Command1.SetCaption("CHANGE");
    Command2.SetCaption("Exit");
    Command3.SetCaption("Clear Error Log");
    Command4.SetCaption("Uninstall completely");
    for (forms::CommandButton* button : {&Command5, &Command6, &Command7, &Command8}) {
        button->SetCaption(kSelectAllCaption);
    }
    Check2.SetCaption("Register store-wide ");
    Check3.SetCaption("Register per-mailbox");
    Check4.SetCaption("Unregister per-mailbox");
    Check5.SetCaption("Unregister store-wide");
    Check7.SetCaption("Show disabled");
    Check7.SetValue(forms::CheckBox::kChecked);  // before any handler is attached
    DesignOptions();
    Label5.SetCaption(ports_.linkAddress);
    Label5.SetToolTipText("Click to open " + ports_.linkAddress + " ");
    txtErr.SetVisible(false);
    Command3.SetVisible(false);
    Picture1.SetVisible(false);
}

void InstallForm::DesignOptions() {
    Frame1.SetCaption("SCL value display format");
    Option1.SetCaption("SCL=<SCL value>");
    Option1.SetValue(true);
    Option2.SetCaption("<SCL value>");
    Label7.SetCaption(" Examples:");
    const forms::Font arialBold{"Arial", true, 8.25};
    Label2.SetCaption("SCL=-1");
    Label2.SetFont(arialBold);
    Label8.SetCaption("SCL=6");
    Label8.SetFont(arialBold);
    Label3.SetCaption("-1");
    Label9.SetCaption("6");
}

void InstallForm::ConnectHandlers() {
    window_.OnQueryUnload([this] { return KeepLoadedDuringWalk(); });
    window_.OnUnload([this] { Form_Unload(); });
    Command1.OnClick(UnlessWalking([this] { Command1_Click(); }));
    Command2.OnClick([this] { window_.Unload(); });
    Command4.OnClick(UnlessWalking([this] { Command4_Click(); }));
    Command5.OnClick(UnlessWalking([this] { ListSelectAll(Command5, SysMbxInstList); }));
    Command6.OnClick(UnlessWalking([this] { ListSelectAll(Command6, MbxInstList); }));
    Command7.OnClick(UnlessWalking([this] { ListSelectAll(Command7, MbxUninstList); }));
    Command8.OnClick(UnlessWalking([this] { ListSelectAll(Command8, SysMbxUninstList); }));
    Check2.OnClick([this] { Check2_Click(); });
    Check3.OnClick([this] { Check3_Click(); });
    Check4.OnClick([this] { Check4_Click(); });
    Check5.OnClick([this] { Check5_Click(); });
    Check7.OnClick([this] { Check7_Click(); });
    // The walk sets the boxes itself; a user's tick in the middle of it
    // would ask for a selection the walk is rebuilding.
    for (forms::CheckBox* box : {&Check2, &Check3, &Check4, &Check5, &Check7}) {
        box->SetUserGate([this] { return !walking_; });
    }
    Option1.OnClick([this] { Option1_Click(); });
    Option2.OnClick([this] { Option2_Click(); });
    Command3.OnClick(UnlessWalking([this] { log_.Clear(); }));
    Label5.OnClick([this] { Label5_Click(); });
    Label5.OnMouseMove([this] { Label5_MouseMove(); });
}

forms::Handler InstallForm::UnlessWalking(forms::Handler handler) {
    return [this, handler = std::move(handler)] {
        if (!walking_) {
            handler();
        }
    };
}

// A close during the walk is remembered; the walk ends at its next record
// and then unloads the form.
bool InstallForm::KeepLoadedDuringWalk() {
    if (walking_) {
        closeRequested_ = true;
    }
    return walking_;
}

bool InstallForm::IsBatchCommandLine(const std::string& commandLine) {
    const std::string start = platform::text::Left(commandLine, 2);
    return platform::text::EqualsNoCase(start, "-b") || platform::text::EqualsNoCase(start, "/b");
}

std::string InstallForm::TrimNull(const std::string& startstr) {
    return startstr.substr(0, std::min(startstr.find('\0'), startstr.size()));
}

std::string InstallForm::GetCurrentUserName() {
    constexpr uint32_t kBufferSize = 255;
    std::string buffer(kBufferSize, '\0');
    uint32_t size = kBufferSize;
    // A failed call leaves nothing usable in the buffer: its error instead
    // of whatever the buffer held.
    if (const int32_t error = ports_.machine.GetUserName(buffer, size);
        error != platform::ERROR_SUCCESS_CODE) {
        throw ports_.machine.SystemError(error);
    }
    if (size == 0) {
        return "";
    }
    return TrimNull(buffer.substr(0, std::min<size_t>(size - 1, buffer.size())));
}

// Unload: every failure is ignored.
void InstallForm::Form_Unload() {
    try {
        if (cnn != nullptr) {
            cnn->Close();
        }
    } catch (const platform::ComError&) {
        // Closing a connection that never opened fails; unload goes on.
    }
    cnn.reset();
    objSink.reset();
}

void InstallForm::Label5_Click() {
    try {
        ports_.shell.ShellExecute("open", ports_.linkAddress, "", "",
                                  platform::SW_SHOWNORMAL_VALUE);
    } catch (const platform::ComError&) {
        // The link's failure to open the page is not reported.
    }
}

void InstallForm::Label5_MouseMove() {
    try {
        ports_.shell.SetSystemCursor(platform::IDC_HAND_VALUE);
    } catch (const platform::ComError&) {
        // A missing hand cursor leaves the pointer as it is.
    }
}

}  // namespace setup
