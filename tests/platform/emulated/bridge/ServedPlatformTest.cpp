// The platform as the server serves it to Windows programs, called in
// process: the classes the root creates and the argument checks every
// served member makes.
#include <gtest/gtest.h>

#include "platform/Text.h"
#include "platform/bridge/BridgeClasses.h"
#include "platform/bridge/BridgeRoots.h"
#include "platform/emulated/bridge/ServedClasses.h"
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
    const char* member;
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
    };
    for (const ArgumentCase& c : cases) {
        const Value object = c.progId ? Create(c.progId) : root;
        std::vector<Value> args = c.args;
        auto error = CatchComError([&] {
            LocalObject& local = Local(object);
            local.Invoke(local.MemberId(c.member), c.kind, args, {});
        });
        ASSERT_TRUE(error) << c.what;
        EXPECT_EQ(error->number(), c.error) << c.what << ": " << error->description();
    }
}

}  // namespace
