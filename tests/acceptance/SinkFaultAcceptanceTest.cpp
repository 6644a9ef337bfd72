// Failures planted at every store call the sink makes, for both libraries:
// a delivery always goes ahead, stamped completely or not at all, and each
// registration method gives the status its caller is promised and changes
// no registration item.
#include "tests/acceptance/SinkAcceptance.h"

namespace acceptance {
namespace {

using platform::Variant;
using platform::emulated::DeliveredMessage;
using platform::hresult::DB_E_NOTFOUND;
using platform::hresult::E_FAIL;

// The store calls of a delivery's begin phase, in the order the sink makes
// them (the record, the SCL, the keywords, both writes, the update); the
// first of a kind fails.
const std::vector<std::string> kDeliveryCalls = {"event.record", "field.read", "field.write",
                                                 "fields.update"};

TEST_P(SinkAcceptance, DeliveryGoesAheadUnstampedWhateverStoreCallFails) {
    ASSERT_EQ(Create(Place::Inbox), "1");
    DeliveredMessage message;
    message.scl = 6;
    message.keywords = Variant::StringArray({"Project"});
    message.comments = "from the filter";
    for (const std::string& operation : kDeliveryCalls) {
        message.subject = "Fault at " + operation;
        Plant(operation, "*/" + message.subject + ".EML");
        auto item = Deliver(message);
        EXPECT_TRUE(FaultsUsedUp()) << operation << ": the sink did not make that call";
        EXPECT_EQ(item.properties.Get(kKeywords), message.keywords) << operation;
        EXPECT_EQ(item.properties.Get(kComments), Variant(*message.comments)) << operation;
    }
    message.subject = "After the faults";
    auto item = Deliver(message);
    EXPECT_EQ(item.properties.Get(kKeywords), Variant::StringArray({"Project", "SCL=6"}));
    EXPECT_EQ(item.properties.Get(kComments), Variant("SCL=6"));
}

enum class Method { Create, Remove, Check };

// A registration method run in a place with one store call failing: the
// call (its operation and the URL it works on, "<mailbox>" standing for
// the mailbox's URL, "<folder>" for the folder of the item), the error
// number, and the status the method returns ("<item>" for the item's URL,
// the date masked). Remove and Check find an item in place, Create none;
// either way it is there as before afterwards.
struct FailingCall {
    Method method;
    Place place;
    std::string operation;
    std::string url;
    int32_t number;
    std::string status;
};

const std::string kMailboxLine = "[<date>] <mailbox> - ERROR: -2147467259 planted";
const std::string kFolderLine = "[<date>] <folder> - ERROR: -2147467259 planted";
const std::string kItemLine = "[<date>] <item> - ERROR: -2147467259 planted";

const std::vector<FailingCall> kFailingCalls = {
    {Method::Create, Place::Inbox, "connection.open", "<mailbox>", E_FAIL, kMailboxLine},
    {Method::Create, Place::Inbox, "record.open", "<mailbox>", E_FAIL, kMailboxLine},
    {Method::Create, Place::Inbox, "field.read", "<mailbox>", E_FAIL, kMailboxLine},
    {Method::Create, Place::Inbox, "transaction.begin", "<mailbox>", E_FAIL, kMailboxLine},
    {Method::Create, Place::Inbox, "record.open", "<item>", E_FAIL, kMailboxLine},
    {Method::Create, Place::Inbox, "field.write", "<item>", E_FAIL, kMailboxLine},
    {Method::Create, Place::Inbox, "fields.update", "<item>", E_FAIL, kMailboxLine},
    {Method::Create, Place::Inbox, "transaction.commit", "<mailbox>", E_FAIL, kMailboxLine},
    {Method::Create, Place::Inbox, "record.open", "<item>", DB_E_NOTFOUND,
     "[<date>] <mailbox> - ERROR: -2147217895 planted"},
    {Method::Remove, Place::Inbox, "connection.open", "<mailbox>", E_FAIL, kMailboxLine},
    {Method::Remove, Place::Inbox, "record.open", "<mailbox>", E_FAIL, kMailboxLine},
    {Method::Remove, Place::Inbox, "field.read", "<mailbox>", E_FAIL, kMailboxLine},
    {Method::Remove, Place::Inbox, "record.open", "<item>", E_FAIL, kItemLine},
    {Method::Remove, Place::Inbox, "record.delete", "<item>", E_FAIL, kItemLine},
    {Method::Remove, Place::Inbox, "record.open", "<item>", DB_E_NOTFOUND, "0"},
    // The first try, on the literal path, fails for another reason than the
    // item's absence: for an Inbox named "Inbox" no second one is made, so
    // that failure is the answer, not "not registered".
    {Method::Check, Place::Inbox, "record.open", "<mailbox>/inbox/Morvane.reg", E_FAIL,
     "[<date>] <folder> - ERROR: -2147467259 planted"},
    {Method::Check, Place::LocalisedInbox, "connection.open", "<mailbox>", E_FAIL, kMailboxLine},
    {Method::Check, Place::LocalisedInbox, "record.open", "<mailbox>", E_FAIL, kMailboxLine},
    {Method::Check, Place::LocalisedInbox, "field.read", "<mailbox>", E_FAIL, kMailboxLine},
    {Method::Check, Place::LocalisedInbox, "record.open", "<item>", E_FAIL, kFolderLine},
    {Method::Check, Place::LocalisedInbox, "record.open", "<item>", DB_E_NOTFOUND, "0"},
};

// The text with the place's URLs for the names standing for them.
std::string Fill(std::string text, const std::string& mailbox, const std::string& folder) {
    const std::pair<std::string, std::string> names[] = {
        {"<mailbox>", mailbox}, {"<folder>", folder}, {"<item>", folder + "/" + kRegName}};
    for (const auto& [name, value] : names) {
        const size_t at = text.find(name);
        if (at != std::string::npos)
            text.replace(at, name.size(), value);
    }
    return text;
}

std::string Describe(const FailingCall& call) {
    const char* methods[] = {"CreateRegItem", "RemoveRegItem", "CheckRegItemExists"};
    return std::string(methods[static_cast<int>(call.method)]) + " failing at " + call.operation +
           " of " + call.url + " with " + std::to_string(call.number);
}

TEST_P(SinkAcceptance, RegistrationMethodsTurnEveryFailingStoreCallIntoTheirStatus) {
    for (const FailingCall& call : kFailingCalls) {
        const bool itemBefore = call.method != Method::Create;
        if (itemBefore) {
            ASSERT_EQ(Create(call.place), "1");
        }
        const std::string mailbox = MailboxUrl(call.place);
        const std::string folder = ItemFolderUrl(call.place);
        Plant(call.operation, Fill(call.url, mailbox, folder), call.number);
        const std::string status = call.method == Method::Create   ? Create(call.place)
                                   : call.method == Method::Remove ? Remove(call.place)
                                                                   : Check(call.place);
        EXPECT_TRUE(FaultsUsedUp()) << Describe(call) << ": the sink did not make that call";
        EXPECT_EQ(MaskDate(status), Fill(call.status, mailbox, folder)) << Describe(call);
        EXPECT_EQ(store.RegistrationItems().size(), itemBefore ? 1u : 0u) << Describe(call);
        store.faults().Clear();
        if (itemBefore) {
            ASSERT_EQ(Remove(call.place), "1");
        }
    }
}

}  // namespace
}  // namespace acceptance
