// The store's event interfaces on the created class: stamping through a fake
// event record, the settings file beside the library, and unloading.
#include "platform/Activation.h"
#include "platform/win32/AdoStore.h"
#include "platform/win32/WindowsHeaders.h"
#include "tests/win32/Check.h"
#include "tests/win32/FakeStore.h"
#include "tests/win32/RegistryText.h"
#include "tests/win32/SinkComTests.h"

using platform::Variant;

namespace {

constexpr int32_t kBegin = 0x01000000;
constexpr int32_t kCommitted = 0x02000000;
constexpr int32_t kDelivered = 0x8;
const std::string kMessage = "http://srv/exadmin/example.org/mbx/ann@example.org/Inbox/m1.eml";
const std::string kScl = "http://schemas.microsoft.com/mapi/proptag/0x40760003";
const std::string kKeywords = "urn:schemas-microsoft-com:office:office#Keywords";
const std::string kComments = "urn:schemas-microsoft-com:office:office#Comments";

void SetDisplayFormat(const std::string& format) {
    std::string file = testsupport_win32::ProgramFolder() + "\\Morvane.ini";
    WritePrivateProfileStringA("Morvane Settings", "SCLDisplayFormat", format.c_str(),
                               file.c_str());
}

Variant Words(std::initializer_list<const char*> words) {
    Variant::Array list;
    for (const char* word : words)
        list.emplace_back(word);
    return Variant(list);
}

void Stamping(platform::ComObject& object) {
    auto* events = object.AsStoreSyncEvents();
    check::Expect("the class answers IExStoreSyncEvents", events != nullptr);
    if (events == nullptr)
        return;
    auto store = std::make_shared<fakes::StoreData>();
    auto& message = store->items[kMessage];
    message[kScl] = Variant(6);
    message[kKeywords] = Words({"7", "  ", "keep"});
    auto info = fakes::MakeEventInfo(fakes::MakeOpenRecord(store, kMessage));
    auto eventInfo = platform::win32::WrapEventInfo(info.Get());

    SetDisplayFormat("<SCL value>");
    events->OnSyncSave(*eventInfo, kMessage, kBegin | kCommitted);
    check::Expect("a save without the delivery bit is not stamped",
                  message[kKeywords] == Words({"7", "  ", "keep"}));
    events->OnSyncSave(*eventInfo, kMessage, kCommitted | kDelivered);
    check::Expect("the committed phase does nothing", message.count(kComments) == 0);
    events->OnSyncSave(*eventInfo, kMessage, kBegin | kDelivered);
    check::Expect("the bare stamp replaces old ones", message[kKeywords] == Words({"keep", "6"}),
                  platform::Describe(message[kKeywords]));
    check::Expect("the comments hold the stamp", message[kComments] == Variant("6"));

    SetDisplayFormat("SCL=<SCL value>");
    events->OnSyncSave(*eventInfo, kMessage, kBegin | kDelivered);
    check::Expect("the settings file is read again at the next save",
                  message[kKeywords] == Words({"keep", "6", "SCL=6"}),
                  platform::Describe(message[kKeywords]));
    events->OnSyncDelete(*eventInfo, kMessage, kBegin);
    check::Expect("a delete changes nothing", message[kComments] == Variant("SCL=6"));

    // An event information object without a record: the stamping fails
    // inside, the event method still reports success.
    auto broken = fakes::MakeEventInfo(fakes::FakeObject::Make());
    auto brokenInfo = platform::win32::WrapEventInfo(broken.Get());
    bool succeeded = true;
    try {
        events->OnSyncSave(*brokenInfo, kMessage, kBegin | kDelivered);
    } catch (const platform::ComError&) {
        succeeded = false;
    }
    check::Expect("a failing stamping still returns S_OK", succeeded);
}

void Registration(platform::ComObject& object) {
    auto* registration = object.AsCreateRegistration();
    check::Expect("the class answers ICreateRegistration", registration != nullptr);
    if (registration == nullptr)
        return;
    auto info = fakes::MakeEventInfo(fakes::FakeObject::Make());
    auto eventInfo = platform::win32::WrapEventInfo(info.Get());
    check::ExpectEqual("every registration is accepted", 0,
                       registration->Register(*eventInfo, "http://x/y", 0x7FFFFFFF));
}

}  // namespace

void RunStoreEventTests() {
    auto canUnload = platform::SystemActivation().BindExport("Morvane.dll", "DllCanUnloadNow");
    {
        auto object = platform::SystemActivation().CreateObject("Morvane.MorvaneCls");
        check::Group("store events", [&] { Stamping(*object); });
        check::Group("registration event", [&] { Registration(*object); });
        check::Group("unloading", [&] {
            check::ExpectEqual("a live object keeps the library", S_FALSE, canUnload());
        });
    }
    check::Group("unloading", [&] {
        check::ExpectEqual("without objects the library may go", S_OK, canUnload());
    });
    DeleteFileA((testsupport_win32::ProgramFolder() + "\\Morvane.ini").c_str());
}
