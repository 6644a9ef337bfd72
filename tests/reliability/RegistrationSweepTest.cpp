// Planted store failures at every store call of CreateRegItem,
// RemoveRegItem and CheckRegItemExists: each ends in the status string the
// caller is promised, and no registration item is left half-written,
// half-removed or changed.
#include <gtest/gtest.h>

#include "platform/ComError.h"
#include "sink/MorvaneCls.h"
#include "tests/reliability/FaultSweep.h"

namespace reliability {
namespace {

using platform::hresult::DB_E_NOTFOUND;
using platform::hresult::E_FAIL;
using Mailbox = platform::emulated::MailboxInfo;

const std::string kUnspecified = "Unspecified error";
const std::string kGlobalEvents = "StoreEvents/GlobalEvents";

// Where a sweep case registers: a mailbox's Inbox or a store's GlobalEvents.
struct Place {
    std::string address;
    std::string inboxName = "Inbox";
    bool rootFields = true;
    bool storeWide = false;
};

Mailbox Prepare(SinkServer& server, const Place& place) {
    if (place.storeWide)
        return *server.model.FindMailbox(server.firstStore.systemMailbox);
    return server.AddMailbox(place.address, server.firstStore, place.inboxName, place.rootFields);
}

std::string SubFolderOf(const Place& place) {
    return place.storeWide ? kGlobalEvents : "inbox";
}

// The folder the item lives in.
std::string FolderOf(const Place& place, const Mailbox& mailbox) {
    if (place.storeWide)
        return mailbox.url + "/" + kGlobalEvents;
    return place.rootFields ? mailbox.inboxUrl : mailbox.url;
}

Mailbox Find(SinkServer& server, const Place& place) {
    const std::string address = place.storeWide ? server.firstStore.systemMailbox : place.address;
    return *server.model.FindMailbox(address);
}

std::string CallCreate(SinkServer& server, platform::store::Ado& ado, const Place& place,
                       const std::string& priority) {
    MorvaneCls sink(ado, server.clock);
    std::string parent = Find(server, place).url, sub = SubFolderOf(place), name = kRegName,
                method = "onsyncsave", sinkClass = kProgId,
                scope = place.storeWide ? "ANY" : "SHALLOW", criteria = kVisibleOnly,
                prio = priority;
    return sink.CreateRegItem(parent, sub, name, method, sinkClass, scope, criteria, prio);
}

// The item as CreateRegItem writes it, priority aside.
void ExpectRegistrationItem(SinkServer& server, const std::string& url,
                            const std::string& priority) {
    const auto item = server.model.ReadItem(url);
    const std::string events = "http://schemas.microsoft.com/exchange/events/";
    EXPECT_EQ(item.properties.Get("DAV:contentclass"),
              platform::Variant("urn:content-class:storeeventreg"));
    EXPECT_EQ(item.properties.Get(events + "SinkClass"), platform::Variant(kProgId));
    EXPECT_EQ(item.properties.Get(events + "priority"), platform::Variant(priority));
    EXPECT_EQ(item.properties.Get("DAV:ishidden"), platform::Variant(true));
}

// CreateRegItem: a failure anywhere gives the error line naming the URL
// passed in, never "0", and leaves the registrations as they were (an item
// that existed before keeps its old content).
SweepCase CreateCase(const std::string& name, const Place& place, bool existing) {
    auto before = std::make_shared<std::string>();
    SweepCase sweepCase;
    sweepCase.name = "CreateRegItem " + name;
    sweepCase.prepare = [place, existing, before](SinkServer& server) {
        Prepare(server, place);
        if (existing) {
            ASSERT_EQ(CallCreate(server, server.ado, place, "5"), "1");
        }
        *before = RegistrationSnapshot(server);
    };
    sweepCase.run = [place](SinkServer& server, platform::store::Ado& ado) {
        return CallCreate(server, ado, place, "1");
    };
    sweepCase.verify = [place, before](SinkServer& server, const std::string& result,
                                       const StoreCall* failed, int32_t number) {
        const Mailbox mailbox = Find(server, place);
        const std::string itemUrl = FolderOf(place, mailbox) + "/" + kRegName;
        if (!failed) {
            EXPECT_EQ(result, "1");
            ExpectRegistrationItem(server, itemUrl, "1");
            EXPECT_EQ(server.model.RegistrationItems().size(), 1u);
            return;
        }
        const std::string description = number == E_FAIL ? kUnspecified : "Not found";
        EXPECT_EQ(result, ErrorLine(mailbox.url, number, description));
        EXPECT_EQ(RegistrationSnapshot(server), *before);
    };
    return sweepCase;
}

std::string CallRemoveOrCheck(SinkServer& server, platform::store::Ado& ado, const Place& place,
                              bool check) {
    MorvaneCls sink(ado, server.clock);
    std::string parent = Find(server, place).url, sub = SubFolderOf(place), name = kRegName;
    return check ? sink.CheckRegItemExists(parent, sub, name)
                 : sink.RemoveRegItem(parent, sub, name);
}

// RemoveRegItem: the error line names the URL being worked on when the
// call failed (the mailbox, then the item); a not-found failure gives "0";
// either way the item stays as it was.
SweepCase RemoveCase(const std::string& name, const Place& place) {
    auto before = std::make_shared<std::string>();
    SweepCase sweepCase;
    sweepCase.name = "RemoveRegItem " + name;
    sweepCase.prepare = [place, before](SinkServer& server) {
        Prepare(server, place);
        ASSERT_EQ(CallCreate(server, server.ado, place, "1"), "1");
        *before = RegistrationSnapshot(server);
    };
    sweepCase.run = [place](SinkServer& server, platform::store::Ado& ado) {
        return CallRemoveOrCheck(server, ado, place, false);
    };
    sweepCase.verify = [before](SinkServer& server, const std::string& result,
                                const StoreCall* failed, int32_t number) {
        if (!failed) {
            EXPECT_EQ(result, "1");
            EXPECT_TRUE(server.model.RegistrationItems().empty());
            return;
        }
        EXPECT_EQ(result,
                  number == DB_E_NOTFOUND ? "0" : ErrorLine(failed->url, number, kUnspecified));
        EXPECT_EQ(RegistrationSnapshot(server), *before);
    };
    return sweepCase;
}

// CheckRegItemExists: the error line names the mailbox or the resolved
// Inbox, never the item; a failure of the first try on the literal Inbox
// path is ignored and the second try decides (which, for an Inbox named
// "Inbox", is not made: the answer is then "0"). Nothing changes.
SweepCase CheckCase(const std::string& name, const Place& place, bool present) {
    auto before = std::make_shared<std::string>();
    SweepCase sweepCase;
    sweepCase.name = "CheckRegItemExists " + name;
    sweepCase.prepare = [place, present, before](SinkServer& server) {
        Prepare(server, place);
        if (present) {
            ASSERT_EQ(CallCreate(server, server.ado, place, "1"), "1");
        }
        *before = RegistrationSnapshot(server);
    };
    sweepCase.run = [place](SinkServer& server, platform::store::Ado& ado) {
        return CallRemoveOrCheck(server, ado, place, true);
    };
    sweepCase.verify = [place, present, before](SinkServer& server, const std::string& result,
                                                const StoreCall* failed, int32_t number) {
        EXPECT_EQ(RegistrationSnapshot(server), *before);
        const Mailbox mailbox = Find(server, place);
        const bool localised = place.inboxName != "Inbox";
        if (!failed) {
            EXPECT_EQ(result, present ? "1" : "0");
            return;
        }
        const bool literalTry =
            !place.storeWide && failed->url == mailbox.url + "/inbox/" + kRegName;
        // The literal path's failure leads on to an Inbox of its own name;
        // where it was the Inbox itself, the check has no answer but the error.
        if (literalTry && (localised || number == DB_E_NOTFOUND)) {
            EXPECT_EQ(result, present && localised ? "1" : "0");
            return;
        }
        if (literalTry) {
            EXPECT_EQ(result, ErrorLine(mailbox.inboxUrl, number, kUnspecified));
            return;
        }
        const std::string named = failed->url == mailbox.inboxUrl + "/" + kRegName && localised
                                      ? mailbox.inboxUrl
                                      : mailbox.url;
        EXPECT_EQ(result, number == DB_E_NOTFOUND ? "0" : ErrorLine(named, number, kUnspecified));
    };
    return sweepCase;
}

const Place kAnn{"ann@example.com"};
const Place kBob{"bob@example.com", "Posteingang"};
const Place kCy{"cy@example.com", "Inbox", false};
const Place kStoreWide{"", "Inbox", true, true};

}  // namespace

std::vector<SweepCase> RegistrationCases() {
    return {
        CreateCase("in an Inbox", kAnn, false),
        CreateCase("in a localised Inbox", kBob, false),
        CreateCase("in a mailbox root without fields", kCy, false),
        CreateCase("store-wide", kStoreWide, false),
        CreateCase("over an existing item", kAnn, true),
        RemoveCase("from an Inbox", kAnn),
        RemoveCase("from a localised Inbox", kBob),
        RemoveCase("from a mailbox root without fields", kCy),
        RemoveCase("store-wide", kStoreWide),
        CheckCase("of a present item in an Inbox", kAnn, true),
        CheckCase("of a missing item in an Inbox", kAnn, false),
        CheckCase("of a present item in a localised Inbox", kBob, true),
        CheckCase("of a present store-wide item", kStoreWide, true),
    };
}

namespace {

TEST(RegistrationFaultSweep, EveryStoreCallFailingGivesThePromisedStatusAndChangesNothing) {
    for (const SweepCase& sweepCase : RegistrationCases()) {
        const CleanRun clean = RunClean(sweepCase);
        ASSERT_FALSE(clean.calls.empty()) << sweepCase.name;
        for (size_t i = 0; i < clean.calls.size(); ++i)
            RunFailingAt(sweepCase, clean, i, E_FAIL, kUnspecified);
    }
}

TEST(RegistrationFaultSweep, NotFoundAtAnyCallIsZeroForRemoveAndCheckButAnErrorLineForCreate) {
    std::vector<SweepCase> cases = RegistrationCases();
    // One place is enough for CreateRegItem, which treats every error alike.
    std::erase_if(cases, [](const SweepCase& sweepCase) {
        return sweepCase.name.rfind("CreateRegItem", 0) == 0 &&
               sweepCase.name != "CreateRegItem in a localised Inbox";
    });
    ASSERT_EQ(cases.size(), 9u);
    for (const SweepCase& sweepCase : cases) {
        const CleanRun clean = RunClean(sweepCase);
        for (size_t i = 0; i < clean.calls.size(); ++i)
            RunFailingAt(sweepCase, clean, i, DB_E_NOTFOUND, "Not found");
    }
}

// The calls the methods make, as the store names them; a change here means
// a store call was added or dropped, and the sweep above covers it already.
TEST(RegistrationFaultSweep, CleanRunsMakeTheExpectedStoreCalls) {
    using Ops = std::vector<std::string>;
    const Ops write(7, "field.write");
    Ops create = {"connection.open", "record.open", "field.read", "transaction.begin",
                  "record.open"};
    create.insert(create.end(), write.begin(), write.end());
    create.insert(create.end(), {"fields.update", "transaction.commit"});
    EXPECT_EQ(OperationsOf(RunClean(CreateCase("Inbox", kAnn, false)).calls), create);
    EXPECT_EQ(
        OperationsOf(RunClean(RemoveCase("Inbox", kAnn)).calls),
        Ops({"connection.open", "record.open", "field.read", "record.open", "record.delete"}));
    EXPECT_EQ(OperationsOf(RunClean(RemoveCase("root", kCy)).calls),
              Ops({"connection.open", "record.open", "record.open", "record.delete"}));
    EXPECT_EQ(OperationsOf(RunClean(CheckCase("localised", kBob, true)).calls),
              Ops({"connection.open", "record.open", "record.open", "field.read", "record.open"}));
    EXPECT_EQ(OperationsOf(RunClean(CheckCase("store-wide", kStoreWide, true)).calls),
              Ops({"connection.open", "record.open"}));
}

}  // namespace
}  // namespace reliability
