#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>

#include "platform/Activation.h"
#include "platform/ComError.h"
#include "platform/DirectoryAdo.h"
#include "setup/ComPlus.h"
#include "setup/ErrorLog.h"
#include "setup/SetupPorts.h"
#include "setup/forms/Buttons.h"
#include "setup/forms/Form.h"
#include "setup/forms/ListBox.h"
#include "setup/forms/PictureBox.h"

namespace setup {

// The setup program's one window: its controls, its state and the moments
// of its life that belong to no control: start-up (Form_Load), the first
// activation (Form_Activate) and unload (Form_Unload). A front end creates
// it with the ports, binds the controls to widgets, calls Form_Load, shows
// the window and calls Form_Activate whenever the window becomes active;
// the program ends when Window() is unloaded.
class InstallForm {
  public:
    InstallForm(SetupPorts ports, std::string commandLine);
    InstallForm(const InstallForm&) = delete;
    InstallForm& operator=(const InstallForm&) = delete;

    void Form_Load();
    void Form_Activate();
    // Runs the unload handling; the same as Window().Unload().
    void Form_Unload();

    // The first activation's work that belongs to other procedures of the
    // form: loading the display format and the refresh with its COM+ state.
    struct ActivationHooks {
        std::function<void()> loadDisplayFormat;
        std::function<void(int16_t)> refreshForm;
    };
    ActivationHooks hooks;

    // The command line selects batch mode when its first two characters
    // are "-b" or "/b" in any letter case.
    static bool IsBatchCommandLine(const std::string& commandLine);
    // startstr up to, not including, its first NUL character.
    static std::string TrimNull(const std::string& startstr);
    // The logged-on account's name; a failing call throws its error.
    std::string GetCurrentUserName();

    // Mailbox discovery and refresh. RefreshForm's state: -1 tests for the
    // COM+ application now, 0 means the caller found it missing, any other
    // value present. A failure inside the refresh is logged as one entry.
    // One walk runs at a time: while it yields to the window, every click
    // but Exit is ignored (buttons, operation boxes, "Show disabled",
    // "Clear Error Log"), and closing the window ends the walk at the next
    // record and then unloads the form. A step the walk skips because a
    // platform call failed goes to the run's journal (ErrorLog).
    void RefreshForm(int16_t state);
    void GetClusterName();
    void GetUsersWithMailboxes();
    // The progress bar in Picture1 and the lists' horizontal scroll extents.
    void UpdateStatus(const int32_t& FileBytes);
    void ListHScroll();

    // Registration changes and the controls that prepare them.
    void Command1_Click();  // CHANGE
    void Command4_Click();  // Uninstall completely
    void Check2_Click();
    void Check3_Click();
    void Check4_Click();
    void Check5_Click();
    void Check7_Click();  // Show disabled
    void ListSelectAll(forms::CommandButton& button, forms::ListBox& list);
    void Option1_Click();
    void Option2_Click();
    // The confirmation of the complete uninstall, lines broken by single CRs.
    std::string UninstallQuestion() const;
    // The two captions of a "Select All" button: what its next click does.
    static constexpr const char* kSelectAllCaption = "Select All";
    static constexpr const char* kDeselectAllCaption = "Deselect All";

    // After a batch run: the run's journal, every entry the run added to the
    // error log, newest first, also those that CHANGE's clearing took out of
    // the window, and every step skipped because a platform call failed;
    // and the program's exit status, 1 when the journal holds any, else 0.
    std::string BatchLog() const { return log_.RunText(); }
    int BatchExitStatus() const;

    forms::Form& Window() { return window_; }
    ErrorLog& Log() { return log_; }
    ComPlus::ComPlusPorts& ComPlusContext() { return comPlus_; }
    SetupPorts& Ports() { return ports_; }
    const std::shared_ptr<platform::ComObject>& Sink() const { return objSink; }

    // Controls.
    forms::CommandButton Command1{"Command1"};
    forms::CommandButton Command2{"Command2"};
    forms::CommandButton Command3{"Command3"};
    forms::CommandButton Command4{"Command4"};
    forms::CommandButton Command5{"Command5"};
    forms::CommandButton Command6{"Command6"};
    forms::CommandButton Command7{"Command7"};
    forms::CommandButton Command8{"Command8"};
    forms::CheckBox Check2{"Check2"};
    forms::CheckBox Check3{"Check3"};
    forms::CheckBox Check4{"Check4"};
    forms::CheckBox Check5{"Check5"};
    forms::CheckBox Check7{"Check7"};
    forms::Frame Frame1{"Frame1"};
    forms::OptionButton Option1{"Option1"};
    forms::OptionButton Option2{"Option2"};
    forms::Label Label2{"Label2"};
    forms::Label Label3{"Label3"};
    forms::Label Label5{"Label5"};
    forms::Label Label7{"Label7"};
    forms::Label Label8{"Label8"};
    forms::Label Label9{"Label9"};
    forms::ListBox SysMbxInstList{"SysMbxInstList"};
    forms::ListBox SysMbxUninstList{"SysMbxUninstList"};
    forms::ListBox MbxInstList{"MbxInstList"};
    forms::ListBox MbxUninstList{"MbxUninstList"};
    forms::TextBox txtErr{"txtErr"};
    forms::PictureBox Picture1{"Picture1"};

    // Form state.
    bool blnBatchMode = false;
    std::string FolderURL;
    std::string ShortComputerName;
    std::string strSearchRoot;
    std::shared_ptr<platform::directory::Connection> cnn;
    bool blnNotFirstTime = false;
    bool blnIsClusterNode = false;
    std::string ClusterName;
    std::string sUserName;

  private:
    friend class MailboxWalk;  // the walk of GetUsersWithMailboxes
    void DesignControls();
    void DesignOptions();
    void ConnectHandlers();
    // The handler, run only while no walk runs.
    forms::Handler UnlessWalking(forms::Handler handler);
    bool KeepLoadedDuringWalk();
    // Start-up pieces.
    void LearnNames();
    void FindGlobalCatalog();
    void PreparePicture1();
    void SetCaption();
    bool PassesPlatformGate();
    void OpenDirectoryConnection();
    std::optional<platform::ComError> CreateSink();
    void ProvisionComPlus(std::optional<platform::ComError>& sinkFailure);
    void InstallFromCurrentDirectory(std::optional<platform::ComError>& sinkFailure);
    // First activation in batch mode.
    void RunBatch();
    void RemoveEveryRegistration();
    static void SelectEvery(forms::ListBox& list);
    // Pieces of the registration changes.
    void SelectionCheck(forms::CheckBox& box, const forms::ListBox& list,
                        const std::string& message);
    void ApplyPass(const forms::CheckBox& removeBox, const forms::ListBox& registered,
                   const forms::CheckBox& createBox, const forms::ListBox& unregistered,
                   const std::string& subFolder, const std::string& matchScope);
    void ChangeRegistration(const std::string& method, const std::string& entry,
                            const std::string& subFolder, const std::string& matchScope);
    void ReportSinkMissing();
    void UnregisterLibrary();
    // Control handlers of this window's life.
    void Label5_Click();
    void Label5_MouseMove();

    SetupPorts ports_;
    std::string commandLine_;
    forms::Form window_{"InstallForm"};
    ErrorLog log_;
    ComPlus::ComPlusPorts comPlus_;
    std::shared_ptr<platform::ComObject> objSink;
    int32_t lngProgress = 0;
    // The mailbox walk: whether one runs, and whether the window was
    // closed meanwhile.
    bool walking_ = false;
    bool closeRequested_ = false;
    bool sinkMissingReported_ = false;
};

// The end of a batch run for any front end: the error log the run ended
// with goes to err, and the result is the program's exit status.
int FinishBatchRun(const InstallForm& form, std::ostream& err);

}  // namespace setup
