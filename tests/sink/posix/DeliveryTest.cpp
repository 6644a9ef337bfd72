#include <gtest/gtest.h>

#include <filesystem>

#include "platform/emulated/activation/Activation.h"
#include "platform/emulated/store/StoreModel.h"
#include "tests/platform/emulated/activation/ActivationTestSupport.h"

using platform::ComObject;
using platform::DispArg;
using platform::Variant;
using platform::emulated::DeliveredMessage;
using platform::emulated::EmulatedActivation;
using platform::emulated::StoreModel;

namespace {

constexpr const char* kAddress = "jane@example.com";

// The sink as the mail store and the setup program meet it: Morvane.so
// installed into a folder of its own (without a settings file) and
// registered in a fresh emulated server, created by ProgID, managing its
// registration items late-bound and stamping what the store delivers.
class DeliveryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::copy_file(MORVANE_LIBRARY_FILE, library);
        ASSERT_EQ(activation.BindExport(library, "DllRegisterServer")(), 0);
        store.SetIdentity({"MAIL01", "example.com"});
        store.AddStore("First Storage Group", "Mailbox Store (MAIL01)");
        mailboxUrl = store
                         .AddMailbox({kAddress, "First Storage Group", "Mailbox Store (MAIL01)", "",
                                      "", "Inbox", true})
                         .url;
        sink = activation.CreateObject("Morvane.MorvaneCls");
    }

    std::string CallSink(const std::string& member, std::vector<DispArg> args) {
        return sink->AsDispatch()->Invoke(member, args).AsString();
    }
    std::string Register() {
        return CallSink("CreateRegItem", {{mailboxUrl, true},
                                          {"inbox", true},
                                          {"Morvane.reg", false},
                                          {"onsyncsave", false},
                                          {"Morvane.MorvaneCls", false},
                                          {"SHALLOW", true},
                                          {" WHERE \"DAV:ishidden\" = FALSE", false},
                                          {"1", false}});
    }
    std::string Check() {
        return CallSink("CheckRegItemExists",
                        {{mailboxUrl, true}, {"inbox", true}, {"Morvane.reg", false}});
    }
    std::string Remove() {
        return CallSink("RemoveRegItem",
                        {{mailboxUrl, true}, {"inbox", true}, {"Morvane.reg", false}});
    }
    platform::emulated::StoredItem DeliverWithScl(int32_t scl) {
        DeliveredMessage message;
        message.subject = "Offer";
        message.scl = scl;
        return store.ReadItem(store.DeliverToInbox(kAddress, message));
    }

    activation_test::ServerScope server;
    testsupport::TempFolder installation;
    const std::string library = installation.File("Morvane.so");
    EmulatedActivation activation;
    StoreModel store{server.db(), activation};
    std::string mailboxUrl;
    std::shared_ptr<ComObject> sink;
};

constexpr const char* kKeywords = "urn:schemas-microsoft-com:office:office#Keywords";
constexpr const char* kComments = "urn:schemas-microsoft-com:office:office#Comments";

TEST_F(DeliveryTest, RegisteredSinkStampsADeliveredMessage) {
    ASSERT_EQ(Check(), "0");
    ASSERT_EQ(Register(), "1");
    ASSERT_EQ(Check(), "1");

    auto item = DeliverWithScl(7);
    Variant comments = item.properties.Get(kComments);
    ASSERT_TRUE(comments.IsString()) << Describe(comments);
    EXPECT_EQ(comments.AsString(), "SCL=7") << "no settings file: the \"SCL=\" form";
    EXPECT_EQ(item.properties.Get(kKeywords), Variant(Variant::Array{comments}));
}

TEST_F(DeliveryTest, RemovedRegistrationLeavesMessagesAlone) {
    ASSERT_EQ(Register(), "1");
    ASSERT_EQ(Remove(), "1");
    EXPECT_EQ(Check(), "0");
    auto item = DeliverWithScl(5);
    EXPECT_TRUE(item.properties.Get(kComments).IsEmpty());
    EXPECT_TRUE(item.properties.Get(kKeywords).IsEmpty());
}

TEST_F(DeliveryTest, UnregisteredLibraryIsNoLongerCalledByTheStore) {
    ASSERT_EQ(Register(), "1");
    ASSERT_EQ(activation.BindExport(library, "DllUnregisterServer")(), 0);
    auto item = DeliverWithScl(3);
    EXPECT_TRUE(item.properties.Get(kComments).IsEmpty())
        << "the store cannot create an unregistered sink, and the delivery goes on";
}

}  // namespace
