// The registration items the store's event registrations consist of:
// create, remove and check, each over its own connection to the store,
// each reporting "1", "0" or an error line instead of failing.
#include <optional>
#include <string>

#include "platform/ComError.h"
#include "platform/Text.h"
#include "platform/Variant.h"
#include "sink/MorvaneCls.h"
#include "sink/StoreSession.h"

namespace {

using platform::ComError;
using platform::Variant;

constexpr char kInboxProperty[] = "urn:schemas:httpmail:inbox";
constexpr char kInboxName[] = "inbox";
constexpr char kEventsSchema[] = "http://schemas.microsoft.com/exchange/events/";
constexpr char kRegistrationContentClass[] = "urn:content-class:storeeventreg";

bool IsInbox(const std::string& subFolderName) {
    return platform::text::EqualsNoCase(subFolderName, kInboxName);
}

// The URL of the mailbox's Inbox as its root names it; the root itself when
// it exposes no fields. The root is read with the session's record.
std::string InboxUrlOfRoot(StoreSession& session, const std::string& rootUrl,
                           bool closeOnlyIfOpen) {
    session.OpenForRead(rootUrl);
    std::string folderUrl = rootUrl;
    auto fields = session.record().GetFields();
    if (fields->Count() > 0)
        folderUrl = fields->Item(kInboxProperty)->Value().AppendToEmptyString();
    if (closeOnlyIfOpen)
        session.CloseRecordIfOpen();
    else
        session.record().Close();
    return folderUrl;
}

// The folder a registration item lives in: the sub-folder below the parent,
// or the parent's Inbox whatever its name.
std::string ResolveFolder(StoreSession& session, const std::string& parentUrl,
                          const std::string& subFolderName, bool closeOnlyIfOpen) {
    if (!IsInbox(subFolderName))
        return parentUrl + "/" + subFolderName;
    return InboxUrlOfRoot(session, parentUrl, closeOnlyIfOpen);
}

void WriteRegistrationFields(platform::store::Record& record, const std::string& eventMethod,
                             const std::string& sinkClass, const std::string& matchScope,
                             const std::string& criteria, const std::string& priority) {
    const std::string events = kEventsSchema;
    auto fields = record.GetFields();
    fields->Item("DAV:contentclass")->SetValue(Variant(kRegistrationContentClass));
    fields->Item(events + "EventMethod")->SetValue(Variant(eventMethod));
    fields->Item(events + "SinkClass")->SetValue(Variant(sinkClass));
    fields->Item(events + "MatchScope")->SetValue(Variant(matchScope));
    fields->Item(events + "criteria")->SetValue(Variant(criteria));
    fields->Item(events + "priority")->SetValue(Variant(priority));
    fields->Item("DAV:ishidden")->SetValue(Variant(true));
    fields->Update();
}

// Opens an existing item: true when it is there, false when it is not;
// failure, the error of a first attempt that failed for another reason.
bool TryOpenExisting(StoreSession& session, const std::string& url,
                     std::optional<ComError>& failure) {
    try {
        session.OpenExisting(url);
        return true;
    } catch (const ComError& error) {
        if (error.number() != platform::hresult::DB_E_NOTFOUND)
            failure = error;
        return false;
    }
}

// The check in a mailbox's Inbox: the literal path first, then the Inbox
// the root names when that has a name of its own. workingUrl follows the
// URL being worked on, for the error line. When the literal path was the
// only place to look and looking there failed for another reason than the
// item's absence, the check has no answer: its error is the result, not a
// "0" that would list a registered mailbox as unregistered.
std::string CheckInInbox(StoreSession& session, const std::string& parentUrl,
                         const std::string& sName, const std::string& itemUrl,
                         std::string& workingUrl) {
    std::optional<ComError> firstFailure;
    if (TryOpenExisting(session, itemUrl, firstFailure))
        return "1";
    session.CloseRecordIfOpen();
    session.OpenForRead(parentUrl);
    std::string result = "0";
    if (session.record().GetFields()->Count() > 0) {
        workingUrl =
            session.record().GetFields()->Item(kInboxProperty)->Value().AppendToEmptyString();
        if (!platform::text::EndsWithNoCase(workingUrl, kInboxName)) {
            firstFailure.reset();  // the Inbox's own name answers instead
            session.CloseRecordIfOpen();
            session.OpenExisting(workingUrl + "/" + sName);
            result = "1";
        }
    }
    session.record().Close();
    if (firstFailure)
        throw *firstFailure;
    return result;
}

}  // namespace

std::string MorvaneCls::ErrorLine(const std::string& url, const ComError& error) const {
    return "[" + platform::GeneralDateText(clock_.Now()) + "] " + url +
           " - ERROR: " + std::to_string(error.number()) + " " + error.description();
}

std::string MorvaneCls::NotFoundOrErrorLine(const std::string& url, const ComError& error) const {
    if (error.number() == platform::hresult::DB_E_NOTFOUND)
        return "0";
    return ErrorLine(url, error);
}

std::string MorvaneCls::CreateRegItem(std::string& FolderURL, std::string& SubFolderName,
                                      std::string& itemName, std::string& EventMethod,
                                      std::string& SinkClass, std::string& MatchScope,
                                      std::string& Criteria, std::string& Priority) {
    StoreSession session(ado_);
    try {
        session.Connect(FolderURL);
        const std::string folderUrl = ResolveFolder(session, FolderURL, SubFolderName, false);
        session.BeginTrans();
        session.OpenForCreate(folderUrl + "/" + itemName);
        WriteRegistrationFields(session.record(), EventMethod, SinkClass, MatchScope, Criteria,
                                Priority);
        session.record().Close();
        session.CommitTrans();
    } catch (const ComError& error) {
        // A transaction begun is rolled back here: no half-written item stays.
        session.CleanUp();
        return ErrorLine(FolderURL, error);
    }
    session.CleanUp();
    return "1";
}

std::string MorvaneCls::RemoveRegItem(std::string& sParentUrl, std::string& SubFolderName,
                                      std::string& sName) {
    StoreSession session(ado_);
    std::string workingUrl = sParentUrl;
    std::string result;
    try {
        session.Connect(workingUrl);
        workingUrl = ResolveFolder(session, sParentUrl, SubFolderName, true);
        workingUrl += "/" + sName;
        session.OpenExisting(workingUrl);
        session.record().DeleteRecord("", false);
        result = "1";
    } catch (const ComError& error) {
        session.CleanUp();
        return NotFoundOrErrorLine(workingUrl, error);
    }
    session.CleanUp();
    return result;
}

std::string MorvaneCls::CheckRegItemExists(std::string& sParentUrl, std::string& SubFolderName,
                                           std::string& sName) {
    StoreSession session(ado_);
    std::string workingUrl = sParentUrl;
    std::string result;
    try {
        session.Connect(workingUrl);
        const std::string itemUrl = sParentUrl + "/" + SubFolderName + "/" + sName;
        if (!IsInbox(SubFolderName)) {
            session.OpenExisting(itemUrl);
            result = "1";
        } else {
            result = CheckInInbox(session, sParentUrl, sName, itemUrl, workingUrl);
        }
    } catch (const ComError& error) {
        session.CleanUp();
        return NotFoundOrErrorLine(workingUrl, error);
    }
    session.CleanUp();
    return result;
}
