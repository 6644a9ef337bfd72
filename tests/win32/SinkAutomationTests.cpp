// The registration-item methods called late-bound by name, as the setup
// program calls them, against fake ADO objects in this process.
#include "platform/Activation.h"
#include "platform/Text.h"
#include "tests/win32/Check.h"
#include "tests/win32/FakeAdoClasses.h"
#include "tests/win32/SinkComTests.h"

using platform::DispArg;
using platform::Variant;

namespace {

const std::string kMailbox = "http://srv/exadmin/example.org/mbx/ann@example.org";
const std::string kInbox = kMailbox + "/Posteingang";

std::vector<DispArg> ByRef(std::initializer_list<std::string> values) {
    std::vector<DispArg> args;
    for (const std::string& value : values)
        args.push_back(DispArg{value, true});
    return args;
}

std::string Status(platform::Dispatch& sink, const std::string& member, std::vector<DispArg> args) {
    Variant result = sink.Invoke(member, args);
    return result.IsString() ? result.AsString() : "(not a string) " + platform::Describe(result);
}

void DispatchIds(platform::Dispatch& sink) {
    check::ExpectEqual("CreateRegItem", 0x60030004, sink.GetIDOfName("CreateRegItem"));
    check::ExpectEqual("RemoveRegItem", 0x60030005, sink.GetIDOfName("RemoveRegItem"));
    check::ExpectEqual("CheckRegItemExists", 0x60030006, sink.GetIDOfName("CheckRegItemExists"));
    check::ExpectEqual("names ignore case", 0x60030006, sink.GetIDOfName("checkregitemexists"));
    check::ExpectComError("an unknown name", -2147352570,
                          [&] { sink.GetIDOfName("DeleteEverything"); });
}

void CreateCheckRemove(platform::Dispatch& sink, fakes::StoreData& store) {
    store.items[kMailbox]["urn:schemas:httpmail:inbox"] = Variant(kInbox);
    store.items[kInbox];
    auto args = ByRef({kMailbox, "inbox", "Morvane.reg", "onsyncsave", "Morvane.MorvaneCls",
                       "SHALLOW", "WHERE \"DAV:ishidden\" = FALSE", "65535"});
    std::vector<DispArg> original = args;
    check::ExpectEqual("CreateRegItem succeeds", "1", Status(sink, "CreateRegItem", args));
    auto& item = store.items[kInbox + "/Morvane.reg"];
    check::Expect("the item is a registration",
                  item["DAV:contentclass"] == Variant("urn:content-class:storeeventreg"));
    check::Expect("the sink class is written",
                  item["http://schemas.microsoft.com/exchange/events/SinkClass"] ==
                      Variant("Morvane.MorvaneCls"));
    check::Expect(
        "the priority stays a string",
        item["http://schemas.microsoft.com/exchange/events/priority"] == Variant("65535"));
    check::Expect("the item is hidden", item["DAV:ishidden"] == Variant(true));
    check::Expect("the creation is committed",
                  std::find(store.log.begin(), store.log.end(), "CommitTrans") != store.log.end());
    bool unchanged = true;
    for (size_t i = 0; i < args.size(); ++i)
        unchanged = unchanged && args[i].value == original[i].value;
    check::Expect("the by-reference arguments come back unchanged", unchanged);

    check::ExpectEqual(
        "CheckRegItemExists finds it in the localised Inbox", "1",
        Status(sink, "CheckRegItemExists", ByRef({kMailbox, "inbox", "Morvane.reg"})));
    check::ExpectEqual("RemoveRegItem deletes it", "1",
                       Status(sink, "RemoveRegItem", ByRef({kMailbox, "INBOX", "Morvane.reg"})));
    check::Expect("the item is gone", store.items.count(kInbox + "/Morvane.reg") == 0);
    check::ExpectEqual("removing it again finds nothing", "0",
                       Status(sink, "RemoveRegItem", ByRef({kMailbox, "inbox", "Morvane.reg"})));
}

void ErrorLine(platform::Dispatch& sink, fakes::StoreData& store) {
    store.failures["/Broken/"] = fakes::Failure{E_FAIL, "Unspecified error"};
    std::string line = Status(sink, "CreateRegItem",
                              ByRef({kMailbox, "Broken", "Morvane.reg", "onsyncsave",
                                     "Morvane.MorvaneCls", "SHALLOW", "", "65535"}));
    const std::string tail = "] " + kMailbox + " - ERROR: -2147467259 Unspecified error";
    check::Expect("a failure comes back as an error line",
                  line.size() > tail.size() && line[0] == '[' &&
                      line.compare(line.size() - tail.size(), tail.size(), tail) == 0,
                  line);
}

}  // namespace

void RunAutomationTests() {
    fakes::FakeAdo ado;
    check::Group("fake store", [&] { check::Expect("registered", ado.Registered()); });
    std::shared_ptr<platform::ComObject> object;
    check::Group("creation by ProgID", [&] {
        object = platform::SystemActivation().CreateObject("Morvane.MorvaneCls");
        check::Expect("the object answers IDispatch", object->AsDispatch() != nullptr);
    });
    if (!object)
        return;
    platform::Dispatch& sink = *object->AsDispatch();
    check::Group("dispatch ids", [&] { DispatchIds(sink); });
    check::Group("registration items", [&] { CreateCheckRemove(sink, *ado.store()); });
    check::Group("error lines", [&] { ErrorLine(sink, *ado.store()); });
}
