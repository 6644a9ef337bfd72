#include "setup/InstallForm.h"

#include <ostream>

// The first activation of the window: it loads the display format, runs the
// first refresh and, in batch mode, renews every existing registration and
// closes the program. Later activations do nothing.
namespace setup {

void InstallForm::Form_Activate() {
    if (blnNotFirstTime) {
        return;
    }
    blnNotFirstTime = true;
    if (hooks.loadDisplayFormat) {
        hooks.loadDisplayFormat();
    }
    if (hooks.refreshForm) {
        hooks.refreshForm(-1);
    }
    if (blnBatchMode) {
        RunBatch();
    }
}

// Batch mode renews every registration and closes the program. A window
// closed during the first walk has unloaded the form: nothing is renewed,
// and the run says so.
void InstallForm::RunBatch() {
    if (window_.IsUnloaded()) {
        log_.AddMessage(
            "Batch mode ended: the window was closed before the registrations were "
            "renewed.");
        return;
    }
    RemoveEveryRegistration();
    Command2.Click();
}

// Ticks the removal of every registered mailbox, store-wide and per
// mailbox, and runs CHANGE when there is any; in batch mode CHANGE renews
// them instead. Entries are selected before a box is ticked: the box's
// click handler refuses a tick while its list has no selected entry.
void InstallForm::RemoveEveryRegistration() {
    Check2.SetValue(forms::CheckBox::kUnchecked);
    Check3.SetValue(forms::CheckBox::kUnchecked);
    if (SysMbxUninstList.ListCount() > 0) {
        SelectEvery(SysMbxUninstList);
        Check5.SetValue(forms::CheckBox::kChecked);
    }
    if (MbxUninstList.ListCount() > 0) {
        SelectEvery(MbxUninstList);
        Check4.SetValue(forms::CheckBox::kChecked);
    }
    if (Check4.Value() == forms::CheckBox::kChecked ||
        Check5.Value() == forms::CheckBox::kChecked) {
        Command1.Click();
    }
}

void InstallForm::SelectEvery(forms::ListBox& list) {
    const int count = list.ListCount();
    for (int position = 0; position < count; ++position) {
        list.SetSelected(position, true);
    }
}

int InstallForm::BatchExitStatus() const {
    return blnBatchMode && log_.RunHasEntries() ? 1 : 0;
}

int FinishBatchRun(const InstallForm& form, std::ostream& err) {
    const std::string log = form.BatchLog();
    if (!log.empty()) {
        err << log;
        err.flush();
    }
    return form.BatchExitStatus();
}

}  // namespace setup
