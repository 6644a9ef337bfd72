#include "bench/support/BenchServer.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "platform/emulated/activation/WindowsHosting.h"
#include "platform/emulated/catalog/CatalogObjects.h"
#include "sink/ProductWord.h"

namespace benchsupport {

namespace {

constexpr char kServerFolder[] = "server";
constexpr char kLibraryFolder[] = "library";
constexpr char kStorageGroup[] = "First Storage Group";
constexpr char kStore[] = "Mailbox Store (MAIL01)";

std::string CopyLibrary(const std::string& libraryFile, const std::string& folder) {
    std::filesystem::create_directory(folder);
    std::filesystem::path copy =
        std::filesystem::path(folder) / std::filesystem::path(libraryFile).filename();
    std::filesystem::copy_file(libraryFile, copy);
    return copy.string();
}

// A new server application of the product's name with the library's
// classes.
void InstallIntoApplication(platform::emulated::EmulatedActivation& activation,
                            const std::string& serverFolder, const std::string& library) {
    platform::emulated::EmulatedCatalog catalog(activation,
                                                [serverFolder] { return serverFolder; });
    auto admin = catalog.CreateCatalog();
    auto applications = admin->GetCollection("Applications");
    applications->Populate();
    const std::string name(kProductWord);
    applications->Add()->SetValue("Name", name);
    applications->SaveChanges();
    admin->InstallComponent(name, library, "", "");
}

}  // namespace

BenchServer::BenchServer(const std::string& libraryFile, Registration registration)
    : serverFolder_(folder_.path() + "/" + kServerFolder),
      activation_([folder = serverFolder_] { return folder; }) {
    if (const char* previous = std::getenv("MORVANE_SERVER"))
        previousServer_ = previous;
    db_ = platform::emulated::ServerDb::Open(serverFolder_, true);
    setenv("MORVANE_SERVER", serverFolder_.c_str(), 1);
    store_ = std::make_unique<platform::emulated::StoreModel>(db_, activation_);
    const std::string library = CopyLibrary(libraryFile, folder_.path() + "/" + kLibraryFolder);
    if (registration == Registration::InComPlusApplication)
        InstallIntoApplication(activation_, serverFolder_, library);
    else if (activation_.BindExport(library, "DllRegisterServer")() != 0)
        throw std::runtime_error("the sink library did not register itself");
}

BenchServer::~BenchServer() {
    store_.reset();
    platform::emulated::SystemWindowsHosting().EndApplications(serverFolder_);
    if (previousServer_)
        setenv("MORVANE_SERVER", previousServer_->c_str(), 1);
    else
        unsetenv("MORVANE_SERVER");
}

void BenchServer::AddMailboxStore() {
    store_->SetIdentity({"MAIL01", "example.com"});
    store_->AddStore(kStorageGroup, kStore);
}

std::string BenchServer::AddMailbox(const std::string& address) {
    return store_->AddMailbox({address, kStorageGroup, kStore, "", "", "Inbox", true}).url;
}

void BenchServer::RegisterInbox(const std::string& mailboxUrl) {
    auto sink = activation_.CreateObject("Morvane.MorvaneCls");
    std::vector<platform::DispArg> args{{mailboxUrl, true},
                                        {"inbox", true},
                                        {"Morvane.reg", false},
                                        {"onsyncsave", false},
                                        {"Morvane.MorvaneCls", false},
                                        {"SHALLOW", true},
                                        {" WHERE \"DAV:ishidden\" = FALSE", false},
                                        {"1", false}};
    const platform::Variant result = sink->AsDispatch()->Invoke("CreateRegItem", args);
    if (!result.IsString() || result.AsString() != "1")
        throw std::runtime_error("the sink could not be registered");
}

void BenchServer::WriteSettings(const std::string& content) const {
    folder_.Write(std::string(kLibraryFolder) + "/" + std::string(kProductWord) + ".ini", content);
}

}  // namespace benchsupport
