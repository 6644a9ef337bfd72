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

// One call of a script's expression on the result of the one before: a
// member by name (the default member without one), the kind of call, the
// arguments.
struct Step {
    const char* member;
    uint16_t kind;
    std::vector<Value> args;
};
using Chain = std::vector<Step>;
constexpr uint16_t kRead = invoke_kind::kMethod | invoke_kind::kPropertyGet;  // as scripts read
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

// A new command, and the catalog's applications "Alpha" and "Beta".
class ScriptConventions : public ServedPlatform {
  protected:
    void SetUp() override {
        const Value applications = Applications();
        for (const char* name : {"Alpha", "Beta"})
            Walk(applications,
                 {{"Add", kRead, {}}, {"Value", kWrite, {Value("Name"), Value(name)}}});
        Walk(applications, {{"SaveChanges", kRead, {}}});
    }
    Value Applications() {
        Value applications = Walk(Create("COMAdmin.COMAdminCatalog"),
                                  {{"GetCollection", kRead, {Value("Applications")}}});
        Walk(applications, {{"Populate", kRead, {}}});
        return applications;
    }
    Value Start(bool command) { return command ? Create("ADODB.Command") : Applications(); }
};

struct ConventionCase {
    const char* what;
    bool command;               // else the applications
    std::vector<Chain> chains;  // on one start object; the last one's value is checked
    Variant expected;
    int32_t error = 0;
};

TEST_F(ScriptConventions, DefaultMembersTakeWhatTheirCollectionsAndValuesTake) {
    const int32_t notFound = platform::directory::adErrItemNotFound;
    const Chain pageSize{{"Properties", kRead, {Value("page size")}}, {nullptr, kRead, {}}};
    const ConventionCase cases[] = {
        {"Properties(name) read by default", true, {pageSize}, 0},
        {"Properties(name) = 500",
         true,
         {{{"Properties", kWrite, {Value("Page Size"), Value(500)}}}, pageSize},
         500},
        {"Properties(2).Value = 7",
         true,
         {{{"Properties", kRead, {Value(2)}}, {"Value", kWrite, {Value(7)}}},
          {{"Properties", kRead, {}},
           {"Item", kRead, {Value("Size Limit")}},
           {"Value", kRead, {}}}},
         7},
        {"a property never set",
         true,
         {{{"Properties", kRead, {Value("SearchScope")}}, {nullptr, kRead, {}}}},
         2},
        {"Properties(9)", true, {{{"Properties", kRead, {Value(9)}}}}, {}, notFound},
        {"Properties(\"Page Sise\")",
         true,
         {{{"Properties", kRead, {Value("Page Sise")}}}},
         {},
         notFound},
        {"apps(1).Name", false, {{{nullptr, kRead, {Value(1)}}, {"Name", kRead, {}}}}, "Beta"},
        {"apps(0) = 1, an object without a default member",
         false,
         {{{nullptr, kWrite, {Value(0), Value(1)}}}},
         {},
         hresult::DISP_E_MEMBERNOTFOUND},
    };
    for (const ConventionCase& c : cases) {
        const Value start = Start(c.command);
        std::optional<Value> last;
        auto error = CatchComError([&] {
            for (const Chain& chain : c.chains)
                last = Walk(start, chain);
        });
        if (c.error != 0) {
            ASSERT_TRUE(error) << c.what;
            EXPECT_EQ(error->number(), c.error) << c.what << ": " << error->description();
        } else {
            ASSERT_FALSE(error) << c.what << ": " << error->description();
            EXPECT_EQ(last->AsVariant(), c.expected) << c.what;
        }
    }
}

// A declared member of an enumeration, called as its stand-in calls it.
Value CallEnumeration(const Value& enumeration, const bridge::MemberDeclaration& member,
                      std::vector<Value> args = {}) {
    const std::vector<bool> byRef(args.size(), true);
    Value result =
        Local(enumeration).Invoke(member.id, static_cast<uint16_t>(member.kind), args, byRef);
    return member.id == bridge::enumeration::kNext.id && result.AsVariant().AsBool() ? args[0]
                                                                                     : result;
}

// For Each: _NewEnum hands out an enumeration whose Next gives each element
// once, in order, in its by-reference argument, then false; Skip, Reset and
// Clone move over the same elements.
TEST_F(ScriptConventions, ForEachWalksEveryElementOnceInOrder) {
    for (const bool command : {true, false}) {
        const Value collection =
            command ? Walk(Start(true), {{"Properties", kRead, {}}}) : Start(false);
        const Value walk = Walk(collection, {{"_NewEnum", kRead, {}}});
        ASSERT_EQ(Local(walk).ClassName(), bridge::enumeration::kClassName);
        auto nextName = [](const Value& from) {
            const Value element = CallEnumeration(from, bridge::enumeration::kNext, {Value()});
            return element.IsObject() ? Walk(element, {{"Name", kRead, {}}}).AsVariant()
                                      : Variant();
        };
        std::vector<std::string> names;
        for (Variant name = nextName(walk); !name.IsEmpty(); name = nextName(walk))
            names.push_back(name.AsString());
        const std::vector<std::string> expected =
            command ? platform::emulated::DirectoryCommandPropertyNames()
                    : std::vector<std::string>{"Alpha", "Beta"};
        EXPECT_EQ(names, expected);
        EXPECT_EQ(CallEnumeration(walk, bridge::enumeration::kSkip, {Value(1)}).AsVariant(),
                  Variant(0));
        CallEnumeration(walk, bridge::enumeration::kReset);
        EXPECT_EQ(CallEnumeration(walk, bridge::enumeration::kSkip, {Value(1)}).AsVariant(),
                  Variant(1));
        const Value clone = CallEnumeration(walk, bridge::enumeration::kClone);
        EXPECT_EQ(nextName(clone), Variant(expected[1]));
        EXPECT_EQ(nextName(walk), Variant(expected[1])) << "a clone moves on its own";
    }
}

// What a caller may keep: a recordset's Fields and a field of them by name
// follow the recordset; a field's value, the recordset's state, a read
// through the default member and a store record's Fields (which fail once
// the record is closed) are asked every time.
TEST_F(ServedPlatform, OnlyARecordsetsFieldsAndItsFieldsAreKeptByTheCaller) {
    platform::emulated::SetMachineFact(*server.db(), "gc", "dc1.corp.example.com");
    const Value connection = Create("ADODB.Connection");
    Walk(connection, {{"Provider", kWrite, {Value("adsDSOobject")}}});
    Walk(connection, {{"Open", kRead, {Value("GC://dc1.corp.example.com")}}});
    const Value command = Create("ADODB.Command");
    Walk(command, {{"ActiveConnection", invoke_kind::kPropertyPutRef, {connection}}});
    Walk(command, {{"CommandText",
                    kWrite,
                    {Value("SELECT mail FROM 'GC://dc1.corp.example.com' "
                           "WHERE objectcategory='person'")}}});
    const Value recordset = Walk(command, {{"Execute", kRead, {}}});
    const Value fields = Walk(recordset, {{"Fields", kRead, {}}});
    struct Case {
        Value object;
        const char* member;
        size_t arguments;
        bool kept;
    };
    const Case cases[] = {
        {recordset, "Fields", 0, true},
        {fields, "Item", 1, true},
        {recordset, nullptr, 0, true},
        {recordset, nullptr, 1, false},
        {recordset, "EOF", 0, false},
        {Walk(fields, {{"Item", kRead, {Value("mail")}}}), "Value", 0, false},
        {Create("ADODB.Record"), "Fields", 0, false},
    };
    for (const Case& c : cases) {
        LocalObject& local = Local(c.object);
        const int32_t id = c.member ? local.MemberId(c.member) : bridge::kDefaultMember;
        EXPECT_EQ(local.KeepsResult(id, kRead, c.arguments), c.kept)
            << local.ClassName() << " " << (c.member ? c.member : "()") << " " << c.arguments;
    }
}

}  // namespace
