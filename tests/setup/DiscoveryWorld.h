#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/emulated/db/ServerDb.h"
#include "platform/emulated/directory/DirectoryAdoConnection.h"
#include "platform/emulated/directory/DirectoryPeople.h"
#include "platform/emulated/store/StoreModel.h"
#include "setup/InstallForm.h"
#include "tests/setup/FakePorts.h"
#include "tests/support/TempFolder.h"

// A fresh emulated server (store and directory) for the mailbox discovery,
// with a scripted sink object and a canvas that records the drawing.
namespace discoverytest {

// The sink library's object: CheckRegItemExists answers from a script
// keyed by "<mailbox URL>|<sub-folder>", "0" for anything else.
class ScriptedSink : public platform::ComObject, public platform::Dispatch {
  public:
    std::map<std::string, std::string> results;
    std::vector<std::string> calls;  // "url|sub-folder|item name"
    bool fails = false;

    platform::Dispatch* AsDispatch() override { return this; }
    platform::StoreSyncEvents* AsStoreSyncEvents() override { return nullptr; }
    platform::CreateRegistration* AsCreateRegistration() override { return nullptr; }
    int32_t GetIDOfName(const std::string& member) override;
    platform::Variant Invoke(const std::string& member,
                             std::vector<platform::DispArg>& args) override;
};

// Creates the scripted sink for "Morvane.MorvaneCls" while creatable.
class SinkActivation : public platform::Activation {
  public:
    std::shared_ptr<ScriptedSink> sink = std::make_shared<ScriptedSink>();
    bool creatable = true;

    std::shared_ptr<platform::ComObject> CreateObject(const std::string& progId) override;
    std::function<int32_t()> BindExport(const std::string&, const std::string&) override {
        return [] { return 0; };
    }
};

// A canvas of a given pixel size; text is 7 pixels a character wide and 13
// high. Every call is recorded as one line of text.
class RecordingCanvas : public setup::forms::Canvas {
  public:
    int32_t width = 300;
    int32_t height = 20;
    std::vector<std::string> calls;

    int32_t PixelWidth() override { return width; }
    int32_t PixelHeight() override { return height; }
    void Clear(int32_t backColor) override;
    double TextWidth(const std::string& text, const setup::forms::Font&) override {
        return 7.0 * static_cast<double>(text.size());
    }
    double TextHeight(const std::string&, const setup::forms::Font&) override { return 13; }
    void DrawText(double x, double y, const std::string& text, const setup::forms::Font&,
                  int32_t color, int32_t drawMode) override;
    void FillBox(double x1, double y1, double x2, double y2, int32_t color,
                 int32_t drawMode) override;
    void BitBlt(int32_t x, int32_t y, int32_t w, int32_t h, int32_t sx, int32_t sy,
                uint32_t rop) override;
    void Refresh() override { calls.push_back("Refresh"); }
    // The recorded calls that begin with prefix.
    std::vector<std::string> CallsStartingWith(const std::string& prefix) const;
};

// The server MAIL01 in corp.example.com with the store "First Storage
// Group/Mailbox Store" (and its system mailbox), a global catalog
// dc1.corp.example.com, and an InstallForm loaded against it.
class DiscoveryWorld {
  public:
    static constexpr const char* kServer = "MAIL01";
    static constexpr const char* kDomain = "corp.example.com";
    static constexpr const char* kStorageGroup = "First Storage Group";
    static constexpr const char* kStore = "Mailbox Store";

    DiscoveryWorld();

    testsupport::TempFolder folder;
    std::shared_ptr<platform::emulated::ServerDb> db;
    setupfakes::FakeWorld fakes;
    SinkActivation activation;
    platform::emulated::EmulatedDirectoryAdo directoryAdo;
    std::unique_ptr<platform::emulated::StoreModel> store;
    std::unique_ptr<platform::emulated::DirectoryPeople> people;
    std::string systemMailbox;  // address of the store's system mailbox

    setup::SetupPorts Ports();
    // A form after start-up, with the COM+ application present.
    std::unique_ptr<setup::InstallForm> LoadForm();

    // A user mailbox in the store; cn and alias from the address.
    void AddMailbox(const std::string& address, const std::string& cn = "");
    // A person of the directory only, homed as given.
    platform::emulated::NewPerson Person(const std::string& cn, const std::string& server) const;
    std::string HomeServer(const std::string& server) const;
    std::string HomeMdb(const std::string& server, const std::string& storageGroup,
                        const std::string& store) const;
    // The mailbox URL the form builds for an address.
    static std::string Url(const std::string& address);
};

// The entries of a list, in order.
std::vector<std::string> Entries(const setup::forms::ListBox& list);

}  // namespace discoverytest
