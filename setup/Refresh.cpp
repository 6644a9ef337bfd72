#include "platform/ComError.h"
#include "platform/Text.h"
#include "setup/HomeServer.h"
#include "setup/InstallForm.h"
#include "setup/basGlobals.h"

// RefreshForm decides whether registration is possible and rebuilds the
// lists; GetClusterName finds the Exchange virtual server of a cluster node.
namespace setup {

namespace {

constexpr int16_t kTestNow = -1;
constexpr int16_t kFoundMissing = 0;

constexpr const char* kIdentityPart1 = "SELECT msExchHomeServerName ";
constexpr const char* kIdentityPart2 = "FROM '";
constexpr const char* kIdentityPart3 = "' ";
constexpr const char* kIdentityPart4 = "WHERE objectcategory='person' AND sAMAccountName='";
constexpr const char* kIdentityPart5 = "'";

// A value inside a quoted query value: an apostrophe is written twice, so
// an account such as o'neil is looked up rather than breaking the query.
std::string QuotedValue(const std::string& value) {
    std::string quoted;
    for (char c : value) {
        quoted += c;
        if (c == '\'') {
            quoted += '\'';
        }
    }
    return quoted;
}

void DisableRegistrationControls(InstallForm& form) {
    for (forms::CheckBox* check : {&form.Check2, &form.Check3, &form.Check4, &form.Check5}) {
        check->SetValue(forms::CheckBox::kUnchecked);
        check->SetEnabled(false);
    }
    form.Check7.SetEnabled(false);
    for (forms::CommandButton* button :
         {&form.Command5, &form.Command6, &form.Command7, &form.Command8}) {
        button->SetEnabled(false);
    }
    for (forms::ListBox* list :
         {&form.SysMbxInstList, &form.MbxInstList, &form.MbxUninstList, &form.SysMbxUninstList}) {
        list->SetEnabled(false);
    }
}

void EnableLists(InstallForm& form) {
    for (forms::ListBox* list :
         {&form.SysMbxInstList, &form.MbxInstList, &form.MbxUninstList, &form.SysMbxUninstList}) {
        list->SetEnabled(true);
    }
}

// A look-up that fails is logged and leaves the cluster name empty; the
// lists are read all the same, with the node's own mailboxes.
void LookUpClusterName(InstallForm& form) {
    try {
        form.GetClusterName();
    } catch (const platform::ComError& error) {
        form.ClusterName = "";
        form.Log().AddMessage(FailureText("Cluster name look-up failed", error));
    }
}

// Steps 1 to 3 of the refresh; other failures reach the caller.
void RefreshRegistrationState(InstallForm& form, int16_t state) {
    const std::string appName = basGlobals::kProductWord;
    const bool present = state == kTestNow ? ComPlus::ComPlusAppExists(form.ComPlusContext(),
                                                                       appName, form.sUserName)
                                           : state != kFoundMissing;
    if (!present) {
        form.Log().RenewOrAdd(appName +
                              " COM+ application not found. Event (un)registration impossible.");
        DisableRegistrationControls(form);
        return;
    }
    EnableLists(form);
    if (form.blnIsClusterNode) {
        LookUpClusterName(form);
    }
    form.GetUsersWithMailboxes();
}

}  // namespace

// A failure of the refresh (the directory look-up of the cluster name, for
// one) is logged as one entry; the window stays usable and the log shows.
void InstallForm::RefreshForm(int16_t state) {
    try {
        RefreshRegistrationState(*this, state);
    } catch (const platform::ComError& error) {
        log_.AddMessage(FailureText("Refresh of the mailbox lists failed", error));
    }
    log_.UpdateVisibility();
}

void InstallForm::GetClusterName() {
    ClusterName = "";
    const std::string query = kIdentityPart1 + (kIdentityPart2 + strSearchRoot) + kIdentityPart3 +
                              kIdentityPart4 + QuotedValue(sUserName) + kIdentityPart5;
    std::shared_ptr<platform::directory::Command> command = ports_.directoryAdo.CreateCommand();
    command->SetActiveConnection(cnn);
    command->SetCommandText(query);
    command->SetProperty("searchscope", 2);
    command->SetProperty("cache results", false);
    command->SetProperty("Chase Referrals", 0x60);
    std::shared_ptr<platform::directory::Recordset> records =
        command->Execute(platform::directory::adCmdUnspecified);
    if (!records->IsEOF()) {
        const platform::Variant homeServer = records->FieldValue("msExchHomeServerName");
        ClusterName =
            homeServer.IsNull() ? "" : ServerFromHomeServerName(homeServer.AppendToEmptyString());
    }
    records->Close();
}

}  // namespace setup
