// The late-bound adapters of the setup program against fake automation
// objects created by ProgID: COM+ catalog, system information, directory
// connection.
#include "platform/Catalog.h"
#include "platform/DirectoryAdo.h"
#include "platform/SystemInfo.h"
#include "tests/win32/AdapterTests.h"
#include "tests/win32/Check.h"
#include "tests/win32/FakeClass.h"
#include "tests/win32/FakeStore.h"

using platform::Variant;

namespace {

// Test-only class ids, never shipped.
constexpr CLSID kFakeCatalog = {
    0x1B0F6A51, 0x3C2D, 0x4E5F, {0x80, 0x91, 0xA2, 0xB3, 0xC4, 0xD5, 0xE6, 0x11}};
constexpr CLSID kFakeAdSystemInfo = {
    0x1B0F6A51, 0x3C2D, 0x4E5F, {0x80, 0x91, 0xA2, 0xB3, 0xC4, 0xD5, 0xE6, 0x12}};
constexpr CLSID kFakeNtSystemInfo = {
    0x1B0F6A51, 0x3C2D, 0x4E5F, {0x80, 0x91, 0xA2, 0xB3, 0xC4, 0xD5, 0xE6, 0x13}};
constexpr CLSID kFakeConnection = {
    0x1B0F6A51, 0x3C2D, 0x4E5F, {0x80, 0x91, 0xA2, 0xB3, 0xC4, 0xD5, 0xE6, 0x14}};

std::string Text(const fakes::ComVariant& value) {
    return value.ToVariant().AppendToEmptyString();
}

std::string Joined(fakes::Args& args) {
    std::string text;
    for (auto& arg : args)
        text += (text.empty() ? "" : "|") + Text(arg);
    return text;
}

// One application "Morvane" with its properties; every call is logged.
fakes::ComPtr<fakes::FakeObject> MakeCatalog(std::shared_ptr<std::vector<std::string>> log) {
    auto properties = std::make_shared<std::map<std::string, Variant>>();
    (*properties)["Name"] = Variant("Morvane");
    auto application = fakes::FakeObject::Make();
    application->On("Name",
                    [properties](fakes::Args&) { return fakes::Value((*properties)["Name"]); });
    application->On("Value", [properties](fakes::Args& args) {
        return fakes::Value((*properties)[Text(args.at(0))]);
    });
    application->OnPut("Value", [properties](fakes::Args& args) {
        (*properties)[Text(args.at(0))] = args.at(1).ToVariant();
    });
    auto collection = fakes::FakeObject::Make();
    collection->On("Populate", [log](fakes::Args&) {
        log->push_back("Populate");
        return fakes::Nothing();
    });
    collection->On("Count", [](fakes::Args&) { return fakes::Value(Variant(1)); });
    collection->On("Item", [application](fakes::Args& args) {
        if (args.at(0).ToVariant().ToInt32() != 0)
            throw fakes::Failure{E_INVALIDARG, "The parameter is incorrect."};
        return fakes::Object(application.Get());
    });
    collection->On("Add", [log](fakes::Args&) {
        log->push_back("Add");
        return fakes::Object(fakes::FakeObject::Make().Get());
    });
    collection->On("Remove", [log](fakes::Args& args) {
        log->push_back("Remove " + Joined(args));
        return fakes::Nothing();
    });
    collection->On("SaveChanges", [](fakes::Args&) { return fakes::Value(Variant(2)); });
    auto catalog = fakes::FakeObject::Make();
    catalog->On("GetCollection", [collection, log](fakes::Args& args) {
        log->push_back("GetCollection " + Joined(args));
        return fakes::Object(collection.Get());
    });
    for (const char* name : {"InstallComponent", "CreateServiceForApplication"})
        catalog->On(name, [log, name](fakes::Args& args) {
            log->push_back(std::string(name) + " " + Joined(args));
            return fakes::Nothing();
        });
    catalog->On("RefreshComponents", [](fakes::Args&) -> fakes::ComVariant {
        throw fakes::Failure{static_cast<HRESULT>(0x80110401),
                             "Errors occurred accessing one or more objects"};
    });
    return catalog;
}

void ComPlusCatalog() {
    auto log = std::make_shared<std::vector<std::string>>();
    fakes::FakeClassRegistration registration("COMAdmin.COMAdminCatalog", kFakeCatalog,
                                              [log] { return MakeCatalog(log); });
    auto catalog = platform::catalog::SystemCatalog().CreateCatalog();
    auto applications = catalog->GetCollection("Applications");
    applications->Populate();
    check::ExpectEqual("Count", 1, applications->Count());
    auto application = applications->Item(0);
    check::Expect("Name", application->Name() == Variant("Morvane"));
    application->SetValue("Identity", Variant("Interactive User"));
    application->SetValue("ApplicationAccessChecksEnabled", Variant(false));
    check::Expect("a property written by name reads back",
                  application->Value("Identity") == Variant("Interactive User"));
    check::Expect("a boolean property",
                  application->Value("ApplicationAccessChecksEnabled") == Variant(false));
    check::ExpectComError("an invalid position", static_cast<int32_t>(E_INVALIDARG),
                          [&] { applications->Item(3); });
    applications->Add();
    applications->Remove(0);
    check::ExpectEqual("SaveChanges reports the changed objects", 2, applications->SaveChanges());
    catalog->InstallComponent("Morvane", "C:\\Program Files\\Morvane\\Morvane.dll", "", "");
    catalog->CreateServiceForApplication("Morvane", "Morvane", "SERVICE_DEMAND_START",
                                         "SERVICE_ERROR_NORMAL", "", "", "", false);
    check::ExpectComError(
        "the catalog's error comes through", -2146368511, [&] { catalog->RefreshComponents(); },
        "Errors occurred accessing one or more objects");
    std::string calls;
    for (const auto& call : *log)
        calls += call + "\n";
    check::ExpectEqual("the calls reach the catalog in order with their arguments",
                       "GetCollection Applications\nPopulate\nAdd\nRemove 0\n"
                       "InstallComponent Morvane|C:\\Program Files\\Morvane\\Morvane.dll||\n"
                       "CreateServiceForApplication Morvane|Morvane|SERVICE_DEMAND_START|"
                       "SERVICE_ERROR_NORMAL||||False\n",
                       calls);
}

void SystemInformation() {
    fakes::FakeClassRegistration ads("ADSystemInfo", kFakeAdSystemInfo, [] {
        auto info = fakes::FakeObject::Make();
        info->On("DomainDNSName",
                 [](fakes::Args&) { return fakes::Value(Variant("example.org")); });
        return info;
    });
    fakes::FakeClassRegistration nt("WinNTSystemInfo", kFakeNtSystemInfo, [] {
        auto info = fakes::FakeObject::Make();
        info->On("ComputerName", [](fakes::Args&) { return fakes::Value(Variant("SRV01")); });
        return info;
    });
    auto& systemInfo = platform::sysinfo::SystemSystemInfo();
    check::ExpectEqual("DomainDNSName", "example.org",
                       systemInfo.CreateADSystemInfo()->DomainDNSName());
    check::ExpectEqual("ComputerName", "SRV01", systemInfo.CreateWinNTSystemInfo()->ComputerName());
}

void DirectoryConnection() {
    auto store = std::make_shared<fakes::StoreData>();
    fakes::FakeClassRegistration connectionClass("ADODB.Connection", kFakeConnection,
                                                 [store] { return fakes::MakeConnection(store); });
    auto connection = platform::directory::SystemAdo().CreateConnection();
    connection->SetProvider("ADsDSOObject");
    connection->Open("GC://dc1.example.org", "", "", platform::directory::adConnectUnspecified);
    check::ExpectEqual("an open connection", 1, connection->State());
    connection->Close();
    check::ExpectEqual("a closed connection", 0, connection->State());
    check::ExpectEqual("provider and search root reach ADO",
                       "Provider ADsDSOObject|Connect GC://dc1.example.org",
                       store->log.at(0) + "|" + store->log.at(1));
}

}  // namespace

void RunSetupPortTests() {
    check::Group("COM+ catalog", ComPlusCatalog);
    check::Group("system information", SystemInformation);
    check::Group("directory connection", DirectoryConnection);
}
