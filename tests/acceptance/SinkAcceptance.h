#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Activation.h"
#include "platform/emulated/activation/Activation.h"
#include "platform/emulated/store/StoreModel.h"
#include "tests/acceptance/SinkLibraries.h"
#include "tests/platform/emulated/activation/ActivationTestSupport.h"

// The sink as the mail store and the setup program meet it, in this
// process: the library (the parameter) installed into a folder of its own
// and registered in a fresh emulated server, created by ProgID through the
// activation layer, managing its registration items late-bound and
// stamping what the store delivers. The Windows library's cases share the
// one host of this thread.
namespace acceptance {

inline constexpr const char* kKeywords = "urn:schemas-microsoft-com:office:office#Keywords";
inline constexpr const char* kComments = "urn:schemas-microsoft-com:office:office#Comments";
inline constexpr const char* kRegName = "Morvane.reg";

// Where a registration goes: a mailbox's Inbox ("Inbox", a localised one,
// a root without fields), a store's GlobalEvents folder, or a mailbox that
// does not exist.
enum class Place { Inbox, LocalisedInbox, RootWithoutFields, StoreWide, Missing };

class SinkAcceptance : public ::testing::TestWithParam<SinkLibrary> {
  protected:
    void SetUp() override;
    // Registers the installed library: on its own, as regsvr32 does.
    virtual void Install();

    std::string MailboxUrl(Place place) const;
    // The folder a registration item of the place lives in.
    std::string ItemFolderUrl(Place place) const;
    // The three methods, late-bound, with the arguments the setup program
    // passes (subFolder: "inbox" for a mailbox, else the store-wide folder).
    std::string Create(Place place, const std::string& subFolder = "");
    std::string Remove(Place place, const std::string& subFolder = "");
    std::string Check(Place place, const std::string& subFolder = "");
    std::string CallSink(const std::string& member, std::vector<platform::DispArg> args);

    // Delivers the message into the Inbox of the mailbox "Inbox" and reads
    // it back as stored.
    platform::emulated::StoredItem Deliver(const platform::emulated::DeliveredMessage& message);
    // Writes Morvane.ini beside the installed library as the setup program
    // does.
    void WriteDisplayFormat(const std::string& format) const;
    // Plants a fault for one use.
    void Plant(const std::string& operation, const std::string& urlPattern,
               int32_t number = platform::hresult::E_FAIL);
    // Whether every planted fault was met.
    bool FaultsUsedUp();

    activation_test::ServerScope server;
    testsupport::TempFolder installation;
    std::string library;
    platform::emulated::EmulatedActivation activation;
    platform::emulated::StoreModel store{server.db(), activation};
    std::shared_ptr<platform::ComObject> sink;

  private:
    std::map<Place, std::string> mailboxUrls_;
};

// The description of the faults Plant plants.
inline constexpr const char* kPlanted = "planted";

}  // namespace acceptance
