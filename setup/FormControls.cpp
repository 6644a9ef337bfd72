#include "platform/Text.h"
#include "setup/InstallForm.h"
#include "setup/basSettings.h"

// The small handlers that prepare a registration change: the operation
// boxes refuse a tick without a selected mailbox, "Show disabled" re-reads
// the lists, "Select All" toggles a list's selection, the display-format
// options mark their examples and store the choice.
namespace setup {

namespace {

constexpr int32_t kInformationOk = 64;
constexpr const char* kSelectForRegistration = "Please select the mailbox(es) for registration";
constexpr const char* kSelectForUnregistration = "Please select the mailbox(es) for unregistration";

}  // namespace

void InstallForm::SelectionCheck(forms::CheckBox& box, const forms::ListBox& list,
                                 const std::string& message) {
    if (box.Value() > forms::CheckBox::kUnchecked && list.SelCount() < 1) {
        ports_.messageBox.Show(message, kInformationOk, window_.Caption());
        box.SetValue(forms::CheckBox::kUnchecked);
    }
}

void InstallForm::Check2_Click() {
    SelectionCheck(Check2, SysMbxInstList, kSelectForRegistration);
}
void InstallForm::Check3_Click() {
    SelectionCheck(Check3, MbxInstList, kSelectForRegistration);
}
void InstallForm::Check4_Click() {
    SelectionCheck(Check4, MbxUninstList, kSelectForUnregistration);
}
void InstallForm::Check5_Click() {
    SelectionCheck(Check5, SysMbxUninstList, kSelectForUnregistration);
}

void InstallForm::Check7_Click() {
    window_.SetMousePointer(forms::Form::kPointerHourglass);
    GetUsersWithMailboxes();
    window_.SetMousePointer(forms::Form::kPointerDefault);
}

void InstallForm::ListSelectAll(forms::CommandButton& button, forms::ListBox& list) {
    const int position = list.ListIndex();
    const bool select = platform::text::EqualsNoCase(button.Caption(), "Select all");
    button.SetCaption(select ? kDeselectAllCaption : kSelectAllCaption);
    for (int index = 0; index < list.ListCount(); ++index) {
        list.SetSelected(index, select);
    }
    list.SetListIndex(position);
}

void InstallForm::Option1_Click() {
    Option2.SetValue(false);
    Label3.SetFontBold(false);
    Label9.SetFontBold(false);
    Label2.SetFontBold(true);
    Label8.SetFontBold(true);
    basSettings::SaveDisplayFormat(*this);
    basSettings::LoadDisplayFormat(*this);
}

void InstallForm::Option2_Click() {
    Option1.SetValue(false);
    Label3.SetFontBold(true);
    Label9.SetFontBold(true);
    Label2.SetFontBold(false);
    Label8.SetFontBold(false);
    basSettings::SaveDisplayFormat(*this);
    basSettings::LoadDisplayFormat(*this);
}

}  // namespace setup
