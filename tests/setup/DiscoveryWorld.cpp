#include "tests/setup/DiscoveryWorld.h"

#include "platform/ComError.h"
#include "platform/emulated/machine/MachineFacts.h"

namespace discoverytest {

using platform::ComError;

int32_t ScriptedSink::GetIDOfName(const std::string& member) {
    if (member != "CheckRegItemExists") {
        throw ComError(platform::hresult::DISP_E_UNKNOWNNAME, "Unknown name.");
    }
    return 3;
}

platform::Variant ScriptedSink::Invoke(const std::string& member,
                                       std::vector<platform::DispArg>& args) {
    GetIDOfName(member);
    if (args.size() != 3) {
        throw ComError(platform::hresult::DISP_E_BADPARAMCOUNT, "Invalid number of parameters.");
    }
    calls.push_back(args[0].value + "|" + args[1].value + "|" + args[2].value);
    if (fails) {
        throw ComError(platform::hresult::E_FAIL, "Automation error");
    }
    auto found = results.find(args[0].value + "|" + args[1].value);
    return found == results.end() ? std::string("0") : found->second;
}

std::shared_ptr<platform::ComObject> SinkActivation::CreateObject(const std::string& progId) {
    if (!creatable || progId != "Morvane.MorvaneCls") {
        throw ComError(platform::hresult::REGDB_E_CLASSNOTREG, "Class not registered");
    }
    return sink;
}

void RecordingCanvas::Clear(int32_t backColor) {
    calls.push_back("Clear " + std::to_string(backColor));
}

void RecordingCanvas::DrawText(double x, double y, const std::string& text,
                               const setup::forms::Font&, int32_t color, int32_t drawMode) {
    calls.push_back("Text " + std::to_string(x) + "," + std::to_string(y) + " " + text + " " +
                    std::to_string(color) + " mode " + std::to_string(drawMode));
}

void RecordingCanvas::FillBox(double x1, double y1, double x2, double y2, int32_t color,
                              int32_t drawMode) {
    calls.push_back("Box " + std::to_string(x1) + "," + std::to_string(y1) + " " +
                    std::to_string(x2) + "," + std::to_string(y2) + " " + std::to_string(color) +
                    " mode " + std::to_string(drawMode));
}

void RecordingCanvas::BitBlt(int32_t x, int32_t y, int32_t w, int32_t h, int32_t sx, int32_t sy,
                             uint32_t rop) {
    calls.push_back("BitBlt " + std::to_string(x) + "," + std::to_string(y) + " " +
                    std::to_string(w) + "x" + std::to_string(h) + " from " + std::to_string(sx) +
                    "," + std::to_string(sy) + " rop " + std::to_string(rop));
}

std::vector<std::string> RecordingCanvas::CallsStartingWith(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const std::string& call : calls) {
        if (call.rfind(prefix, 0) == 0) {
            found.push_back(call);
        }
    }
    return found;
}

DiscoveryWorld::DiscoveryWorld()
    : db(platform::emulated::ServerDb::Open(folder.path(), true)),
      directoryAdo([this] { return folder.path(); }) {
    store = std::make_unique<platform::emulated::StoreModel>(db, fakes.activation);
    people = std::make_unique<platform::emulated::DirectoryPeople>(*db);
    store->SetIdentity({kServer, kDomain});
    platform::emulated::MatchMachineToServer(*db, kServer, kDomain);
    systemMailbox = store->AddStore(kStorageGroup, kStore).systemMailbox;
    fakes.systemInfo.computerName = kServer;
    fakes.systemInfo.domainDnsName = kDomain;
    fakes.systemInfo.globalCatalogHost = std::string("dc1.") + kDomain;
    fakes.catalog.AddApplication("Morvane");
}

setup::SetupPorts DiscoveryWorld::Ports() {
    return setup::SetupPorts{activation,        fakes.catalog,
                             fakes.machine,     fakes.systemInfo,
                             directoryAdo,      fakes.shell,
                             fakes.clock,       fakes.profile,
                             fakes.fileSystem,  fakes.eventSources,
                             fakes.messageBox,  fakes.eventLoop,
                             fakes.textMeasure, "http://www.morvane.example/"};
}

std::unique_ptr<setup::InstallForm> DiscoveryWorld::LoadForm() {
    auto form = std::make_unique<setup::InstallForm>(Ports(), "");
    form->Form_Load();
    return form;
}

void DiscoveryWorld::AddMailbox(const std::string& address, const std::string& cn) {
    platform::emulated::NewMailbox mailbox;
    mailbox.address = address;
    mailbox.storageGroup = kStorageGroup;
    mailbox.storeName = kStore;
    mailbox.cn = cn;
    store->AddMailbox(mailbox);
}

platform::emulated::NewPerson DiscoveryWorld::Person(const std::string& cn,
                                                     const std::string& server) const {
    platform::emulated::NewPerson person;
    person.cn = cn;
    person.mail = cn + "@" + kDomain;
    person.mailNickName = cn;
    person.sAMAccountName = cn;
    person.msExchHomeServerName = HomeServer(server);
    person.homeMDB = HomeMdb(server, kStorageGroup, kStore);
    person.msExchMailboxGuid = "{" + cn + "}";
    person.useraccountcontrol = platform::emulated::kAccountNormal;
    return person;
}

std::string DiscoveryWorld::HomeServer(const std::string& server) const {
    return platform::emulated::DirectoryNames{kDomain, ""}.HomeServerName(server);
}

std::string DiscoveryWorld::HomeMdb(const std::string& server, const std::string& storageGroup,
                                    const std::string& store) const {
    return platform::emulated::DirectoryNames{kDomain, ""}.HomeMdb(server, storageGroup, store);
}

std::string DiscoveryWorld::Url(const std::string& address) {
    return std::string("http://mail01/exadmin/") + kDomain + "/mbx/" + address;
}

std::vector<std::string> Entries(const setup::forms::ListBox& list) {
    std::vector<std::string> entries;
    for (int i = 0; i < list.ListCount(); ++i) {
        entries.push_back(list.List(i));
    }
    return entries;
}

}  // namespace discoverytest
