// The platform as the server serves it to Windows programs, called in
// process: the classes the root creates, the argument checks every served
// member makes, and the automation conventions scripts rely on (default
// members, For Each, arguments by reference).
#include <gtest/gtest.h>

#include "platform/DirectoryAdo.h"
#include "platform/Text.h"
#include "platform/bridge/BridgeClasses.h"
#include "platform/bridge/BridgeEnumeration.h"
#include "platform/bridge/BridgeRoots.h"
#include "platform/bridge/ServedObject.h"
#include "platform/emulated/bridge/ServedClasses.h"
#include "platform/emulated/directory/DirectoryCommand.h"
#include "platform/emulated/machine/MachineFacts.h"
#include "platform/emulated/store/StoreAdo.h"
#include "platform/emulated/store/StoreModel.h"
#include "tests/platform/emulated/activation/ActivationTestSupport.h"

using activation_test::CatchComError;
using bridge::LocalObject;
using bridge::Value;
using platform::Variant;
namespace hresult = platform::hresult;
namespace invoke_kind = bridge::invoke_kind;
namespace served = platform::emulated::served;

namespace {

LocalObject& Local(const Value& object) {
    return dynamic_cast<LocalObject&>(*object.AsObject());
}

class ServedPlatform : public ::testing::Test {
  protected:
    Value Create(const std::string& progId) {
        std::vector<Value> args{Value(progId)};
        return Local(root).Invoke(bridge::platform_root::kCreateObject.id, invoke_kind::kMethod,
                                  args, {});
    }

    activation_test::ServerScope server;
    Value root = served::PlatformRoot();
};

TEST_F(ServedPlatform, EveryServedClassIsCreatedByItsProgIdInAnyLetterCase) {
    // ADSystemInfo answers on a machine of a domain only.
    platform::emulated::SetMachineFact(*server.db(), "domain", "example.com");
    for (const bridge::BridgeClass* served : bridge::kBridgeClasses) {
        const Value created = Create(platform::text::ToLower(served->progId));
        EXPECT_EQ(Local(created).ClassName(), served->progId);
    }
}

TEST_F(ServedPlatform, AProgIdOfNoServedClassFailsAsThePlatformsCreation) {
    auto error = CatchComError([&] { Create("ADODB.Stream"); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), hresult::CO_E_CLASSSTRING);
    EXPECT_EQ(error->description(), "Invalid class string");
}

struct ArgumentCase {
    const char* what;
    const char* progId;  // the root's own member without one
    const char* member;  // the default member without one
    uint16_t kind;
    std::vector<Value> args;
    int32_t error;
};

TEST_F(ServedPlatform, MembersRefuseCallsTheyDoNotTakeAsAutomationDoes) {
    const std::vector<Value> five(5, Value(""));
    const ArgumentCase cases[] = {
        {"too many", "ADODB.Connection", "Open", invoke_kind::kMethod, five,
         hresult::DISP_E_BADPARAMCOUNT},
        {"too few",
         "ADODB.Record",
         "Open",
         invoke_kind::kMethod,
         {Value("url")},
         hresult::DISP_E_BADPARAMCOUNT},
        {"none for the root",
         nullptr,
         "CreateObject",
         invoke_kind::kMethod,
         {},
         hresult::DISP_E_BADPARAMCOUNT},
        {"a text for an object",
         "ADODB.Record",
         "Open",
         invoke_kind::kMethod,
         {Value("url"), Value("connection")},
         hresult::DISP_E_TYPEMISMATCH},
        {"an array for a text",
         "ADODB.Connection",
         "Provider",
         invoke_kind::kPropertyPut,
         {Value(Variant(Variant::Array{}))},
         hresult::DISP_E_TYPEMISMATCH},
        {"a text for a number",
         "ADODB.Command",
         "Execute",
         invoke_kind::kMethod,
         {Value::MissingArgument(), Value::MissingArgument(), Value("all")},
         hresult::DISP_E_TYPEMISMATCH},
        {"an object of another class",
         "ADODB.Record",
         "Open",
         invoke_kind::kMethod,
         {Value("url"), served::PlatformRoot()},
         hresult::E_INVALIDARG},
        {"a missing one",
         "ADODB.Connection",
         "Provider",
         invoke_kind::kPropertyPut,
         {Value::MissingArgument()},
         hresult::DISP_E_PARAMNOTFOUND},
        {"an unknown member",
         "ADODB.Connection",
         "Execute",
         invoke_kind::kMethod,
         {},
         hresult::DISP_E_UNKNOWNNAME},
        {"a write of a read",
         "ADODB.Connection",
         "State",
         invoke_kind::kPropertyPut,
         {Value(1)},
         hresult::DISP_E_MEMBERNOTFOUND},
        {"a read of a method",
         "ADODB.Connection",
         "Close",
         invoke_kind::kPropertyGet,
         {},
         hresult::DISP_E_MEMBERNOTFOUND},
        {"the default member of a class without one",
         "ADODB.Connection",
         nullptr,
         invoke_kind::kPropertyGet | invoke_kind::kMethod,
         {Value("x")},
         hresult::DISP_E_MEMBERNOTFOUND},
        {"an argument for a read whose value takes none",
         "ADODB.Connection",
         "State",
         invoke_kind::kPropertyGet,
         {Value(1)},
         hresult::DISP_E_BADPARAMCOUNT},
        {"For Each over an object that is no collection",
         "ADODB.Command",
         "_NewEnum",
         invoke_kind::kPropertyGet,
         {},
         hresult::DISP_E_UNKNOWNNAME},
    };
    for (const ArgumentCase& c : cases) {
        const Value object = c.progId ? Create(c.progId) : root;
        std::vector<Value> args = c.args;
        auto error = CatchComError([&] {
            LocalObject& local = Local(object);
            local.Invoke(c.member ? local.MemberId(c.member) : bridge::kDefaultMember, c.kind, args,
                         {});
        });
        ASSERT_TRUE(error) << c.what;
        EXPECT_EQ(error->number(), c.error) << c.what << ": " << error->description();
    }
}

// One call of a script's expression: a member by name (the default member
// without one), the kind of call and the arguments.
struct Step {
    const char* member;
    uint16_t kind;
    std::vector<Value> args;
};
using Chain = std::vector<Step>;
// The kinds of call a script makes to read and to write.
constexpr uint16_t kRead = invoke_kind::kMethod | invoke_kind::kPropertyGet;
constexpr uint16_t kWrite = invoke_kind::kPropertyPut;

Value Walk(Value object, const Chain& chain) {
    for (const Step& step : chain) {
        LocalObject& local = Local(object);
        std::vector<Value> args = step.args;
        object = local.Invoke(step.member ? local.MemberId(step.member) : bridge::kDefaultMember,
                              step.kind, args, {});
    }
    return object;
}

constexpr const char* kSubject = "urn:schemas:httpmail:subject";
constexpr const char* kText = "urn:schemas:httpmail:textdescription";

// A server with one mailbox holding one message, the directory's person of
// that mailbox and two COM+ applications; each start object of a script.
class ScriptConventions : public ServedPlatform {
  protected:
    enum class Start { Command, Applications, Record, Recordset };

    void SetUp() override {
        namespace emulated = platform::emulated;
        emulated::StoreModel store(server.db(), platform::SystemActivation());
        store.SetIdentity({"MAIL01", "corp.example.com"});
        emulated::MatchMachineToServer(*server.db(), "MAIL01", "corp.example.com");
        store.AddStore("First Storage Group", "Mailbox Store");
        emulated::NewMailbox mailbox;
        mailbox.address = "alice@corp.example.com";
        mailbox.storageGroup = "First Storage Group";
        mailbox.storeName = "Mailbox Store";
        itemUrl = store.AddMailbox(mailbox).inboxUrl + "/hello.eml";
        emulated::EmulatedStoreAdo ado(server.folder(), platform::SystemActivation());
        auto connection = ado.CreateConnection();
        connection->SetProvider("ExOLEDB.DataSource");
        connection->Open(itemUrl, "", "", -1);
        auto record = ado.CreateRecord();
        record->Open(itemUrl, *connection, platform::store::adModeReadWrite,
                     platform::store::adCreateOverwrite, -1, "", "");
        record->GetFields()->Item(kSubject)->SetValue("Hello");
        record->GetFields()->Item(kText)->SetValue("Body");
        record->GetFields()->Update();
        Value applications = Walk(Create("COMAdmin.COMAdminCatalog"),
                                  {{"GetCollection", kRead, {Value("Applications")}}});
        for (const char* name : {"Alpha", "Beta"})
            Walk(applications,
                 {{"Add", kRead, {}}, {"Value", kWrite, {Value("Name"), Value(name)}}});
        Walk(applications, {{"SaveChanges", kRead, {}}});
    }

    Value Open(Start start) {
        switch (start) {
            case Start::Command:
                return Create("ADODB.Command");
            case Start::Applications: {
                Value applications = Walk(Create("COMAdmin.COMAdminCatalog"),
                                          {{"GetCollection", kRead, {Value("Applications")}}});
                Walk(applications, {{"Populate", kRead, {}}});
                return applications;
            }
            case Start::Record: {
                Value connection = Create("ADODB.Connection");
                Walk(connection, {{"Provider", kWrite, {Value("ExOLEDB.DataSource")}}});
                Walk(connection, {{"Open", kRead, {Value(itemUrl)}}});
                Value record = Create("ADODB.Record");
                Walk(record, {{"Open", kRead, {Value(itemUrl), connection}}});
                return record;
            }
            case Start::Recordset:
                break;
        }
        return Walk(Query(), {{"Execute", kRead, {}}});
    }

    // A command of the directory query, ready to run.
    Value Query() {
        Value connection = Create("ADODB.Connection");
        Walk(connection, {{"Provider", kWrite, {Value("ADsDSOObject")}}});
        Walk(connection, {{"Open", kRead, {Value("Active Directory Provider")}}});
        Value command = Create("ADODB.Command");
        Walk(command, {{"ActiveConnection", kWrite, {connection}}});
        Walk(command, {{"CommandText", kWrite,
                        {Value("SELECT mail, cn FROM 'GC://dc1.corp.example.com' WHERE "
                               "mail='alice@corp.example.com'")}}});
        return command;
    }

    std::string itemUrl;
};

struct ConventionCase {
    const char* what;
    int start;  // ScriptConventions::Start
    // Run in order on one start object; the last one's value is checked.
    std::vector<Chain> chains;
    Variant expected;
    int32_t error = 0;
};

TEST_F(ScriptConventions, DefaultMembersTakeWhatTheirCollectionsAndValuesTake) {
    const auto command = static_cast<int>(Start::Command);
    const auto applications = static_cast<int>(Start::Applications);
    const auto record = static_cast<int>(Start::Record);
    const auto recordset = static_cast<int>(Start::Recordset);
    const ConventionCase cases[] = {
        {"cmd.Properties(\"Page Size\") read",
         command,
         {{{"Properties", kRead, {Value("Page Size")}}, {nullptr, kRead, {}}}},
         0},
        {"cmd.Properties(\"Page Size\") = 500",
         command,
         {{{"Properties", kWrite, {Value("Page Size"), Value(500)}}},
          {{"Properties", kRead, {}}, {"Item", kRead, {Value("page size")}}, {"Value", kRead, {}}}},
         500},
        {"a property by position written through Value",
         command,
         {{{"Properties", kRead, {}}, {nullptr, kRead, {Value(2)}}, {"Value", kWrite, {Value(7)}}},
          {{"Properties", kRead, {Value("Size Limit")}}, {nullptr, kRead, {}}}},
         7},
        {"a property's name by position",
         command,
         {{{"Properties", kRead, {Value(0)}}, {"Name", kRead, {}}}},
         "Page Size"},
        {"the provider's default of a property never set",
         command,
         {{{"Properties", kRead, {Value("SearchScope")}}, {nullptr, kRead, {}}}},
         2},
        {"a property past the last position",
         command,
         {{{"Properties", kRead, {Value(9)}}}},
         {},
         platform::directory::adErrItemNotFound},
        {"a property the provider does not have",
         command,
         {{{"Properties", kRead, {Value("Page Sise")}}}},
         {},
         platform::directory::adErrItemNotFound},
        {"apps(1)", applications, {{{nullptr, kRead, {Value(1)}}, {"Name", kRead, {}}}}, "Beta"},
        {"apps(0).Value(\"Name\")",
         applications,
         {{{nullptr, kRead, {Value(0)}}, {"Value", kRead, {Value("Name")}}}},
         "Alpha"},
        {"rec.Fields(subject)",
         record,
         {{{"Fields", kRead, {Value(kSubject)}}, {nullptr, kRead, {}}}},
         "Hello"},
        {"rec.Fields(1).Name",
         record,
         {{{"Fields", kRead, {Value(1)}}, {"Name", kRead, {}}}},
         kText},
        {"rec.Fields(subject) = \"Changed\"",
         record,
         {{{"Fields", kWrite, {Value(kSubject), Value("Changed")}}},
          {{"Fields", kRead, {Value(kSubject)}}, {"Value", kRead, {}}}},
         "Changed"},
        {"rs(\"mail\")",
         recordset,
         {{{nullptr, kRead, {Value("mail")}}, {nullptr, kRead, {}}}},
         "alice@corp.example.com"},
        {"rs.Fields(1).Name",
         recordset,
         {{{"Fields", kRead, {Value(1)}}, {"Name", kRead, {}}}},
         "cn"},
        {"rs.Fields(2)",
         recordset,
         {{{"Fields", kRead, {Value(2)}}}},
         {},
         platform::directory::adErrItemNotFound},
    };
    for (const ConventionCase& c : cases) {
        const Value start = Open(static_cast<Start>(c.start));
        std::optional<Value> last;
        auto error = CatchComError([&] {
            for (const Chain& chain : c.chains)
                last = Walk(start, chain);
        });
        if (c.error != 0) {
            ASSERT_TRUE(error) << c.what;
            EXPECT_EQ(error->number(), c.error) << c.what << ": " << error->description();
            continue;
        }
        ASSERT_FALSE(error) << c.what << ": " << error->description();
        EXPECT_EQ(last->AsVariant(), c.expected) << c.what;
    }
}

struct EnumerationCase {
    const char* what;
    int start;  // ScriptConventions::Start
    Chain collection;
    std::vector<std::string> names;
};

TEST_F(ScriptConventions, ExecuteAnswersRecordsAffectedInAnArgumentGivenByReference) {
    const Value command = Query();
    LocalObject& local = Local(command);
    std::vector<Value> given{Value(5)};
    local.Invoke(local.MemberId("Execute"), kRead, given, {true});
    EXPECT_EQ(given[0].AsVariant(), Variant(-1)) << "a query does not know it (OLE DB's -1)";
    std::vector<Value> leftOut{Value::MissingArgument(), Value::MissingArgument(), Value(-1)};
    local.Invoke(local.MemberId("Execute"), kRead, leftOut, {true});
    EXPECT_TRUE(leftOut[0].IsMissing()) << "an argument left out stays left out";
}

// A declared member of an enumeration, called as its stand-in calls it.
Value CallEnumeration(const Value& enumeration, const bridge::MemberDeclaration& member,
                      std::vector<Value>& args) {
    const std::vector<bool> byRef(args.size(), true);
    return Local(enumeration).Invoke(member.id, static_cast<uint16_t>(member.kind), args, byRef);
}

// The Name of the next element, none at the end.
std::optional<std::string> NextName(const Value& enumeration) {
    std::vector<Value> element{Value()};
    if (!CallEnumeration(enumeration, bridge::enumeration::kNext, element).AsVariant().AsBool())
        return std::nullopt;
    return Walk(element[0], {{"Name", kRead, {}}}).AsVariant().AsString();
}

// For Each: _NewEnum hands out an enumeration whose Next gives each
// element once, in order, in its by-reference argument; Skip, Reset and
// Clone move over the same elements.
TEST_F(ScriptConventions, ForEachWalksEveryElementOnceInOrder) {
    const EnumerationCase cases[] = {
        {"For Each prop In cmd.Properties",
         static_cast<int>(Start::Command),
         {{"Properties", kRead, {}}},
         platform::emulated::DirectoryCommandPropertyNames()},
        {"For Each app In apps", static_cast<int>(Start::Applications), {}, {"Alpha", "Beta"}},
        {"For Each fld In rec.Fields",
         static_cast<int>(Start::Record),
         {{"Fields", kRead, {}}},
         {kSubject, kText}},
        {"For Each fld In rs.Fields",
         static_cast<int>(Start::Recordset),
         {{"Fields", kRead, {}}},
         {"mail", "cn"}},
    };
    for (const EnumerationCase& c : cases) {
        const Value walk =
            Walk(Walk(Open(static_cast<Start>(c.start)), c.collection), {{"_NewEnum", kRead, {}}});
        ASSERT_EQ(Local(walk).ClassName(), bridge::enumeration::kClassName) << c.what;
        std::vector<std::string> names;
        while (auto name = NextName(walk))
            names.push_back(*name);
        EXPECT_EQ(names, c.names) << c.what;

        std::vector<Value> two{Value(2)}, none;
        EXPECT_EQ(CallEnumeration(walk, bridge::enumeration::kSkip, two).AsVariant(), Variant(0))
            << c.what << ": nothing is left to skip";
        CallEnumeration(walk, bridge::enumeration::kReset, none);
        EXPECT_EQ(CallEnumeration(walk, bridge::enumeration::kSkip, two).AsVariant(), Variant(2))
            << c.what;
        const Value clone = CallEnumeration(walk, bridge::enumeration::kClone, none);
        const std::optional<std::string> third =
            c.names.size() > 2 ? std::optional<std::string>(c.names[2]) : std::nullopt;
        EXPECT_EQ(NextName(clone), third) << c.what;
        EXPECT_EQ(NextName(walk), third) << c.what << ": a clone moves on its own";
    }
}

}  // namespace
