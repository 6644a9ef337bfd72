#include <string>
#include <vector>

#include "platform/ComError.h"
#include "platform/Text.h"
#include "setup/InstallForm.h"
#include "setup/ListEntry.h"
#include "setup/basGlobals.h"

// CHANGE: removes and creates the sink's registration items for the chosen
// mailboxes, store-wide first, then per mailbox, and reads the lists again.
namespace setup {

namespace {

constexpr const char* kStoreWideFolder = "StoreEvents/GlobalEvents";
constexpr const char* kPerMailboxFolder = "inbox";

bool Ticked(const forms::CheckBox& box) {
    return box.Value() == forms::CheckBox::kChecked;
}

// The positions a pass works on: the selected ones, or all of them.
std::vector<int> Positions(const forms::ListBox& list, bool everyEntry) {
    std::vector<int> positions;
    const int count = list.ListCount();
    for (int position = 0; position < count; ++position) {
        if (everyEntry || list.Selected(position)) {
            positions.push_back(position);
        }
    }
    return positions;
}

}  // namespace

void InstallForm::Command1_Click() {
    window_.SetMousePointer(forms::Form::kPointerHourglass);
    int16_t comPlusState = 0;
    if (ComPlus::ComPlusAppExists(comPlus_, basGlobals::kProductWord, sUserName)) {
        comPlusState = 1;
        Command3.Click();
        sinkMissingReported_ = false;
        ApplyPass(Check5, SysMbxUninstList, Check2, SysMbxInstList, kStoreWideFolder, "ANY");
        ApplyPass(Check4, MbxUninstList, Check3, MbxInstList, kPerMailboxFolder, "SHALLOW");
    }
    RefreshForm(comPlusState);
    for (forms::CommandButton* button : {&Command5, &Command6, &Command7, &Command8}) {
        button->SetCaption(kSelectAllCaption);
    }
    window_.SetMousePointer(forms::Form::kPointerDefault);
}

// One pass: removal from the registered list, then creation from the
// selected unregistered entries. Batch mode renews every registered entry by
// creation alone, which replaces the item in one transaction: removing it
// first would leave the mailbox unstamped until it is created again, and
// for good when the run is cut short.
void InstallForm::ApplyPass(const forms::CheckBox& removeBox, const forms::ListBox& registered,
                            const forms::CheckBox& createBox, const forms::ListBox& unregistered,
                            const std::string& subFolder, const std::string& matchScope) {
    if (!blnBatchMode && Ticked(removeBox)) {
        for (int position : Positions(registered, false)) {
            ChangeRegistration("RemoveRegItem", registered.List(position), subFolder, "");
        }
    }
    if (blnBatchMode || Ticked(createBox)) {
        const forms::ListBox& list = blnBatchMode ? registered : unregistered;
        for (int position : Positions(list, blnBatchMode)) {
            ChangeRegistration("CreateRegItem", list.List(position), subFolder, matchScope);
        }
    }
}

// One late-bound call for one list entry; an entry without a usable address
// is skipped without a message.
void InstallForm::ChangeRegistration(const std::string& method, const std::string& entry,
                                     const std::string& subFolder, const std::string& matchScope) {
    const std::string address = ListEntry::ExtractAddress(entry);
    if (address.empty()) {
        return;
    }
    platform::Dispatch* sink = objSink ? objSink->AsDispatch() : nullptr;
    if (sink == nullptr) {
        ReportSinkMissing();
        return;
    }
    const std::string product = basGlobals::kProductWord;
    const std::string url = FolderURL + "/" + address;
    std::vector<platform::DispArg> args{{url, true}, {subFolder, true}, {product + ".reg", false}};
    if (method == "CreateRegItem") {
        args.push_back({"onsyncsave", false});
        args.push_back({basGlobals::SinkProgId(), false});
        args.push_back({matchScope, true});
        args.push_back({" WHERE \"DAV:ishidden\" = FALSE", false});
        args.push_back({"1", false});
    }
    try {
        const std::string result = sink->Invoke(method, args).AppendToEmptyString();
        if (result.size() > 2) {
            log_.AddEntry(result);
        }
    } catch (const platform::ComError& error) {
        // The call itself could not be made: one entry for it, then the
        // next entry.
        log_.AddMessage(FailureText(url, error));
    }
}

// Without the library's object no registration can change: said once a run.
void InstallForm::ReportSinkMissing() {
    if (sinkMissingReported_) {
        return;
    }
    sinkMissingReported_ = true;
    log_.AddMessage(basGlobals::SinkProgId() +
                    " object not available. Event (un)registration impossible.");
}

}  // namespace setup
