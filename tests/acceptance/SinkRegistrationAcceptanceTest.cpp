// The sink's registration items as the setup program manages them, for
// both libraries: where each item goes, what it holds, and the status
// texts of the three methods, error lines included (dates aside).
#include "platform/emulated/store/StoreData.h"
#include "tests/acceptance/SinkAcceptance.h"

namespace acceptance {
namespace {

using platform::Variant;

enum class Method { Create, Check, Remove };

// One call in a sequence on one server: the status it returns ("<mailbox>"
// standing for the mailbox's URL, the date masked) and how many
// registration items the server holds after it.
struct RegistrationStep {
    std::string what;
    Place place;
    Method method;
    std::string subFolder;
    std::string status;
    size_t itemsAfter;
};

const std::string kNotFoundLine = "[<date>] <mailbox> - ERROR: -2147217895 " +
                                  std::string(platform::emulated::kNotFoundDescription);

const std::vector<RegistrationStep> kSteps = {
    {"nothing registered yet", Place::Inbox, Method::Check, "", "0", 0},
    {"created", Place::Inbox, Method::Create, "", "1", 1},
    {"found", Place::Inbox, Method::Check, "", "1", 1},
    {"created again over the item, \"INBOX\" as \"inbox\"", Place::Inbox, Method::Create, "INBOX",
     "1", 1},
    {"removed", Place::Inbox, Method::Remove, "Inbox", "1", 0},
    {"gone", Place::Inbox, Method::Check, "", "0", 0},
    {"a missing item is not removed", Place::Inbox, Method::Remove, "", "0", 0},
    {"created in a localised Inbox", Place::LocalisedInbox, Method::Create, "", "1", 1},
    {"found under the Inbox's own name", Place::LocalisedInbox, Method::Check, "", "1", 1},
    {"removed from it", Place::LocalisedInbox, Method::Remove, "", "1", 0},
    {"created in a mailbox root without fields", Place::RootWithoutFields, Method::Create, "", "1",
     1},
    {"which the check does not look at", Place::RootWithoutFields, Method::Check, "", "0", 1},
    {"removed from the root", Place::RootWithoutFields, Method::Remove, "", "1", 0},
    {"created store-wide", Place::StoreWide, Method::Create, "", "1", 1},
    {"found store-wide", Place::StoreWide, Method::Check, "", "1", 1},
    {"removed store-wide", Place::StoreWide, Method::Remove, "", "1", 0},
    {"a missing mailbox: an error line, never \"0\"", Place::Missing, Method::Create, "",
     kNotFoundLine, 0},
    {"a missing mailbox has nothing to remove", Place::Missing, Method::Remove, "", "0", 0},
    {"nor to find", Place::Missing, Method::Check, "", "0", 0},
};

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

TEST_P(SinkAcceptance, RegistrationMethodsReturnTheirStatusTexts) {
    for (const RegistrationStep& step : kSteps) {
        std::string status;
        if (step.method == Method::Create)
            status = Create(step.place, step.subFolder);
        else if (step.method == Method::Check)
            status = Check(step.place, step.subFolder);
        else
            status = Remove(step.place, step.subFolder);
        EXPECT_EQ(MaskDate(status), Replace(step.status, "<mailbox>", MailboxUrl(step.place)))
            << step.what;
        EXPECT_EQ(store.RegistrationItems().size(), step.itemsAfter) << step.what;
        if (step.method == Method::Create && status == "1") {
            EXPECT_NO_THROW(store.ReadItem(ItemFolderUrl(step.place) + "/" + kRegName))
                << step.what;
        }
    }
}

TEST_P(SinkAcceptance, RegistrationItemHoldsItsSevenPropertiesInOrder) {
    ASSERT_EQ(Create(Place::LocalisedInbox), "1");
    const std::string events = "http://schemas.microsoft.com/exchange/events/";
    std::vector<std::pair<std::string, Variant>> written;
    const auto item = store.ReadItem(ItemFolderUrl(Place::LocalisedInbox) + "/" + kRegName);
    for (const auto& entry : item.properties.entries()) {
        if (entry.first.rfind(events, 0) == 0 || entry.first == "DAV:contentclass" ||
            entry.first == "DAV:ishidden")
            written.push_back(entry);
    }
    const std::vector<std::pair<std::string, Variant>> expected = {
        {"DAV:contentclass", Variant("urn:content-class:storeeventreg")},
        {events + "EventMethod", Variant("onsyncsave")},
        {events + "SinkClass", Variant("Morvane.MorvaneCls")},
        {events + "MatchScope", Variant("SHALLOW")},
        {events + "criteria", Variant(" WHERE \"DAV:ishidden\" = FALSE")},
        {events + "priority", Variant("1")},
        {"DAV:ishidden", Variant(true)},
    };
    EXPECT_EQ(written, expected);
}

}  // namespace
}  // namespace acceptance
