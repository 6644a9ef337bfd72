#include <optional>
#include <tuple>

#include "platform/ComError.h"
#include "platform/Text.h"
#include "setup/HomeServer.h"
#include "setup/InstallForm.h"
#include "setup/SkippedStep.h"
#include "setup/basGlobals.h"

// GetUsersWithMailboxes: the directory walk that fills the four mailbox
// lists. The whole walk skips a failing step and goes on with the next;
// every value has its default before the step that may replace it. A
// platform call that fails is noted in the run's journal; the window's own
// controls are set without a note.
namespace setup {

namespace {

using platform::ComError;
using platform::Variant;
using platform::directory::Command;
using platform::directory::Recordset;
namespace text = platform::text;

constexpr const char* kQueryPart1 =
    "SELECT adspath, cn, msExchHomeServerName,mailNickName,mail,homeMDB, useraccountcontrol ";
constexpr const char* kQueryPart2 = "FROM '";
constexpr const char* kQueryPart3 = "' ";
constexpr const char* kQueryPart4 =
    "WHERE objectcategory='person' AND MsExchMailboxGuid='*' ORDER BY cn";
constexpr const char* kSystemMailboxPrefix = "SystemMailbox{";
constexpr const char* kStoreWideFolder = "StoreEvents/GlobalEvents";
constexpr const char* kMailboxFolder = "inbox";
constexpr const char* kSeparator = " / ";
constexpr int32_t kDefaultAccountControl = 66048;
constexpr int32_t kDisabledAccountControl = 66050;
constexpr int32_t kSizeLimit = 30000;

template <typename Body>
void Skip(Body&& body) {
    try {
        body();
    } catch (const ComError&) {
        // Skipped: the walk goes on with the next step.
    }
}

// The object behind a variable, or run-time error 91 when there is none.
template <typename Object>
Object& Require(Object* object) {
    if (object == nullptr) {
        throw ComError(91, "Object variable or With block variable not set");
    }
    return *object;
}

template <typename Object>
Object& Require(const std::shared_ptr<Object>& object) {
    return Require(object.get());
}

// The values of one kept record.
struct MailboxValues {
    std::string server;
    std::string alias;
    std::string cn;
    std::string address;
    std::string storePath;
    std::string store;
    std::string storageGroup;
    int32_t accountControl = kDefaultAccountControl;
};

// Store and storage group from CN=<store>,CN=<storage group>,...; both
// stay empty without ",CN=" after the first character.
void ParseStorePath(MailboxValues& values) {
    const size_t first = text::FindFirstNoCase(values.storePath, ",CN=");
    if (first <= 1) {
        return;
    }
    values.store = text::Trim(text::Left(values.storePath, first - 1));
    if (text::EqualsNoCase(text::Left(values.store, 3), "CN=")) {
        values.store = text::Trim(text::Mid(values.store, 4));
    }
    values.storageGroup = text::Trim(text::Mid(values.storePath, first + 4));
    const size_t comma = text::FindFirst(values.storageGroup, ",");
    if (comma > 1) {
        values.storageGroup = text::Trim(text::Left(values.storageGroup, comma - 1));
    }
}

std::string SixFieldEntry(const MailboxValues& values, const std::string& cn) {
    return values.server + kSeparator + values.storageGroup + kSeparator + values.store +
           kSeparator + cn + kSeparator + values.address + kSeparator + values.alias;
}

}  // namespace

// The walk over one query result; a friend of the form.
class MailboxWalk {
  public:
    explicit MailboxWalk(InstallForm& form) : form_(form) {}

    void Run() {
        ClearLists();
        Skip([&] { form_.Check2.SetValue(forms::CheckBox::kUnchecked); });
        Skip([&] { form_.Check5.SetValue(forms::CheckBox::kUnchecked); });
        std::shared_ptr<Command> command = PrepareCommand();
        std::shared_ptr<Recordset> records = RunQuery(command);
        if (records != nullptr) {
            if (!AtEnd(*records)) {
                WalkRecords(*records);
            }
            SkipStep(form_.log_, "Mailbox directory query not closed", [&] { records->Close(); });
        }
        ResetActions();
        records.reset();
        command.reset();
        Skip([&] { form_.ListHScroll(); });
    }

  private:
    void ClearLists() {
        form_.SysMbxUninstList.Clear();
        form_.SysMbxInstList.Clear();
        form_.MbxUninstList.Clear();
        form_.MbxInstList.Clear();
    }

    std::shared_ptr<Command> PrepareCommand() {
        const std::string query =
            kQueryPart1 + (kQueryPart2 + form_.strSearchRoot) + kQueryPart3 + kQueryPart4;
        std::shared_ptr<Command> command;
        try {
            command = form_.ports_.directoryAdo.CreateCommand();
        } catch (const ComError& error) {
            queryFailure_ = error;  // the query's failure reports it
            return nullptr;
        }
        ErrorLog& log = form_.log_;
        SkipStep(log, "Directory query connection not set",
                 [&] { command->SetActiveConnection(form_.cnn); });
        SkipStep(log, "Directory query text not set", [&] { command->SetCommandText(query); });
        const std::pair<const char*, Variant> properties[] = {
            {"searchscope", 2}, {"cache results", true},    {"Chase Referrals", 0x60},
            {"Page Size", 100}, {"Size Limit", kSizeLimit}, {"Timeout", 120}};
        for (const auto& [name, value] : properties) {
            SkipStep(
                log, [&] { return std::string("Directory query property ") + name + " not set"; },
                [&] { command->SetProperty(name, value); });
        }
        return command;
    }

    // The query's records; without them (no command, a failed Execute, no
    // records object) one log entry says why, and the lists stay empty.
    std::shared_ptr<Recordset> RunQuery(const std::shared_ptr<Command>& command) {
        try {
            std::shared_ptr<Recordset> records =
                Require(command).Execute(platform::directory::adCmdUnspecified);
            Require(records);
            return records;
        } catch (const ComError& error) {
            const ComError& reported = queryFailure_ ? *queryFailure_ : error;
            form_.log_.AddMessage(FailureText("Mailbox directory query failed", reported));
            return nullptr;
        }
    }

    // A failed end-of-records test counts as the end.
    bool AtEnd(Recordset& records) {
        bool atEnd = true;
        SkipStep(
            form_.log_, [&] { return WalkEnded("end-of-records test failed"); },
            [&] { atEnd = records.IsEOF(); });
        return atEnd;
    }

    void WalkRecords(Recordset& records) {
        form_.lngProgress = 0;
        form_.Picture1.SetScaleWidth(TotalOf(records));
        form_.Picture1.SetVisible(true);
        // A window closed meanwhile ends the walk before the next record.
        while (!form_.closeRequested_ && !AtEnd(records)) {
            ProcessRecord(records);
            // A record that cannot be left ends the walk; going on would
            // read the same record for ever.
            if (!SkipStep(
                    form_.log_, [&] { return WalkEnded("move to the next record failed"); },
                    [&] { records.MoveNext(); })) {
                break;
            }
            ++position_;
        }
        form_.Picture1.Cls();
        form_.Picture1.Refresh();
        form_.Picture1.SetVisible(false);
    }

    // The bar's total: the record count, or, when the directory cannot
    // give one, the size limit (the most records a walk can see), so the
    // bar never runs past full and the percentage never divides by zero.
    double TotalOf(Recordset& records) {
        int32_t total = kSizeLimit;
        SkipStep(form_.log_, "Record count of the mailbox directory query not read", [&] {
            const int32_t count = records.RecordCount();
            if (count > 0) {
                total = count;
            }
        });
        return total;
    }

    void ProcessRecord(Recordset& records) {
        Skip([&] { form_.UpdateStatus(1); });
        form_.ports_.eventLoop.DoEvents();
        MailboxValues values;
        ReadField("msExchHomeServerName", [&] {
            const Variant homeServer = records.FieldValue("msExchHomeServerName");
            if (!homeServer.IsNull()) {
                values.server = ServerFromHomeServerName(homeServer.AppendToEmptyString());
            }
        });
        if (!IsHomedHere(values.server)) {
            return;
        }
        ReadValues(records, values);
        AddEntry(values);
    }

    bool IsHomedHere(const std::string& server) const {
        return text::EqualsNoCase(server, form_.ShortComputerName) ||
               (form_.blnIsClusterNode && text::EqualsNoCase(server, form_.ClusterName));
    }

    void ReadValues(Recordset& records, MailboxValues& values) {
        values.alias = FieldText(records, "mailNickName");
        values.cn = FieldText(records, "cn");
        values.address = FieldText(records, "mail");
        values.storePath = text::Trim(text::ToUpper(FieldText(records, "homeMDB")));
        ParseStorePath(values);
        ReadField("useraccountcontrol", [&] {
            const Variant control = records.FieldValue("useraccountcontrol");
            if (!control.IsNull()) {
                values.accountControl = control.ToInt32();
            }
        });
    }

    void AddEntry(const MailboxValues& values) {
        if (text::EqualsNoCase(text::Left(values.alias, 14), kSystemMailboxPrefix)) {
            AddSystemMailbox(values);
        } else if (!values.storePath.empty() && values.accountControl != kDisabledAccountControl) {
            const std::string state = RegistrationState(values.address, kMailboxFolder);
            (state == "1" ? form_.MbxUninstList : form_.MbxInstList)
                .AddItem(SixFieldEntry(values, values.cn));
        } else if (values.accountControl == kDisabledAccountControl) {
            AddDisabledAccount(values);
        } else {
            form_.MbxInstList.AddItem(values.server + kSeparator + values.cn +
                                      " [*** No HomeMDB ***]" + kSeparator + values.address +
                                      kSeparator + values.alias);
        }
    }

    void AddSystemMailbox(const MailboxValues& values) {
        if (values.storePath.empty()) {
            return;
        }
        const std::string state = RegistrationState(values.address, kStoreWideFolder);
        (state == "1" ? form_.SysMbxUninstList : form_.SysMbxInstList)
            .AddItem(SixFieldEntry(values, values.cn));
    }

    void AddDisabledAccount(const MailboxValues& values) {
        if (form_.Check7.Value() != forms::CheckBox::kChecked) {
            return;
        }
        std::string entry = values.server;
        if (!values.storePath.empty()) {
            entry += kSeparator + values.storageGroup + kSeparator + values.store;
        }
        entry += kSeparator + values.cn + " [***DISABLED***]" + kSeparator + values.address +
                 kSeparator + values.alias;
        form_.MbxInstList.AddItem(entry);
    }

    // "1", "0" or the library's error report, which is logged. A check
    // that cannot be made leaves "0"; without the library's object, which
    // start-up has reported, none is tried.
    std::string RegistrationState(const std::string& address, const char* subFolder) {
        std::string state = "0";
        if (address.empty() || form_.objSink == nullptr) {
            return state;
        }
        const std::string url = form_.FolderURL + "/" + address;
        SkipStep(
            form_.log_, [&] { return "Registration state of " + url + " not checked"; },
            [&] {
                platform::Dispatch& sink = Require(form_.objSink->AsDispatch());
                std::vector<platform::DispArg> args{
                    {url}, {subFolder}, {std::string(basGlobals::kProductWord) + ".reg"}};
                state = sink.Invoke("CheckRegItemExists", args).AppendToEmptyString();
            });
        if (state.size() > 2) {
            form_.log_.AddEntry(InstallForm::TrimNull(state));
        }
        return state;
    }

    // Each action check box ends unticked and enabled exactly when its list
    // holds an entry; its "Select All" button follows it.
    void ResetActions() {
        const std::tuple<forms::CheckBox*, forms::ListBox*, forms::CommandButton*> rows[] = {
            {&form_.Check2, &form_.SysMbxInstList, &form_.Command5},
            {&form_.Check3, &form_.MbxInstList, &form_.Command6},
            {&form_.Check4, &form_.MbxUninstList, &form_.Command7},
            {&form_.Check5, &form_.SysMbxUninstList, &form_.Command8}};
        for (const auto& [check, list, button] : rows) {
            Skip([&] { check->SetValue(forms::CheckBox::kUnchecked); });
            check->SetEnabled(list->ListCount() > 0);
            button->SetEnabled(check->Enabled());
        }
    }

    // A field as text: "" when it is null or cannot be read.
    std::string FieldText(Recordset& records, const char* name) {
        std::string value;
        ReadField(name, [&] { value = records.FieldValue(name).AppendToEmptyString(); });
        return value;
    }

    template <typename Body>
    void ReadField(const char* name, Body&& body) {
        SkipStep(
            form_.log_,
            [&] {
                return std::string("Field ") + name + " of directory record " +
                       std::to_string(position_) + " not read";
            },
            body);
    }

    std::string WalkEnded(const char* why) const {
        return "Mailbox walk ended at directory record " + std::to_string(position_) + ": " + why;
    }

    InstallForm& form_;
    std::optional<ComError> queryFailure_;
    int position_ = 1;  // the record the walk stands on, counted from 1
};

// One walk at a time: a walk asked for while one runs (from a click it let
// through) does nothing. A window closed during the walk unloads the form
// once the walk has ended.
void InstallForm::GetUsersWithMailboxes() {
    if (walking_) {
        return;
    }
    struct Walking {
        InstallForm& form;
        explicit Walking(InstallForm& f) : form(f) { form.walking_ = true; }
        ~Walking() { form.walking_ = false; }
        Walking(const Walking&) = delete;
        Walking& operator=(const Walking&) = delete;
    };
    {
        const Walking walking(*this);
        MailboxWalk(*this).Run();
    }
    if (closeRequested_) {
        window_.Unload();
    }
}

}  // namespace setup
