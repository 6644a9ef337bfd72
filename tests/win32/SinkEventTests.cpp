// The store's event interfaces on the created class: stamping through a fake
// event record, the settings file beside the library, the failures it
// reports to the event log, and unloading.
#include <chrono>

#include "platform/Activation.h"
#include "platform/EventLog.h"
#include "platform/win32/AdoStore.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WindowsHeaders.h"
#include "sink/MorvaneCls.h"
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

// A message whose keyword write fails with "Access is denied.", as an event
// hands it to a sink.
struct FailingDelivery {
    explicit FailingDelivery(const std::string& itemUrl) : url(itemUrl) {
        store->writeFailures[kKeywords] = fakes::Failure{E_ACCESSDENIED, "Access is denied."};
        store->items[url][kScl] = Variant(6);
    }
    bool Stamped() { return store->items[url].count(kComments) != 0; }

    std::string url;
    std::shared_ptr<fakes::StoreData> store = std::make_shared<fakes::StoreData>();
    fakes::ComPtr<fakes::FakeObject> info = fakes::MakeEventInfo(fakes::MakeOpenRecord(store, url));
    std::shared_ptr<platform::store::EventInfo> eventInfo =
        platform::win32::WrapEventInfo(info.Get());
};

// A thousand deliveries of one process meet the failure: all are saved
// unstamped and the library reports one warning. The runner reads what was
// reported from wine's eventlog channel (ReadEventLogW is a stub there):
// the inserts of one entry for the URL ".../Inbox/failing.eml".
void FailureReportsOfTheLibrary(platform::ComObject& object) {
    auto* events = object.AsStoreSyncEvents();
    if (events == nullptr)
        return;
    FailingDelivery delivery(
        "http://srv/exadmin/example.org/mbx/ann@example.org/Inbox/failing.eml");
    int stamped = 0;
    for (int i = 0; i < 1000; ++i) {
        events->OnSyncSave(*delivery.eventInfo, delivery.url, kBegin | kDelivered);
        stamped += delivery.Stamped() ? 1 : 0;
    }
    check::ExpectEqual("a thousand failing deliveries are saved unstamped", 0, stamped);
}

// The portable sink through the Win32 event log, by a steady clock the test
// moves: a thousand failures give one entry, the first an hour later a
// second that carries the count 1000 (".../Inbox/hourly.eml" on the channel).
void HourlyFailureReports() {
    platform::FixedMonotonicClock clock;
    FailureReports reports(platform::SystemEventLog(), clock);
    MorvaneCls sink(platform::store::SystemAdo(), platform::SystemClock(), reports);
    FailingDelivery delivery("http://srv/exadmin/example.org/mbx/ann@example.org/Inbox/hourly.eml");
    for (int i = 0; i < 1000; ++i)
        sink.OnSyncSave(*delivery.eventInfo, delivery.url, kBegin | kDelivered);
    clock.Advance(std::chrono::hours(1));
    sink.OnSyncSave(*delivery.eventInfo, delivery.url, kBegin | kDelivered);
    check::Expect("the failing deliveries stay unstamped", !delivery.Stamped());
}

// The library's message table: a sentence for each kind of failure that
// ends in the error and the count; nothing for an unknown event ID.
void MessageTable() {
    HMODULE library = LoadLibraryExW(L"Morvane.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    const wchar_t* inserts[] = {L"save, begin", L"http://srv/m.eml", L"-5", L"Denied.", L"9"};
    auto format = [&](DWORD eventId) {
        wchar_t text[2048] = {};
        DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY,
                                      library, eventId, 0, text, 2048,
                                      reinterpret_cast<va_list*>(const_cast<wchar_t**>(inserts)));
        return platform::win32::WideToUtf8(std::wstring(text, length));
    };
    for (DWORD eventId = 1; eventId <= 6; ++eventId) {
        const std::string sentence = format(eventId);
        check::Expect(
            "message " + std::to_string(eventId) + " holds the inserts",
            sentence.find("http://srv/m.eml") != std::string::npos &&
                sentence.find("\"save, begin\"") != std::string::npos &&
                sentence.find("Error: -5 Denied.\r\nFailures of this kind since the "
                              "previous entry, this one included: 9") != std::string::npos,
            sentence);
    }
    check::ExpectEqual("no message 7", "", format(7));
    FreeLibrary(library);
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
        check::Group("failure reports", [&] { FailureReportsOfTheLibrary(*object); });
        check::Group("unloading", [&] {
            check::ExpectEqual("a live object keeps the library", S_FALSE, canUnload());
        });
    }
    check::Group("unloading", [&] {
        check::ExpectEqual("without objects the library may go", S_OK, canUnload());
        // A class object a caller holds for later creations (as an
        // application's process does) keeps the library too.
        using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
        auto getClassObject = reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleA("Morvane.dll"), "DllGetClassObject")));
        CLSID clsid{};
        IClassFactory* factory = nullptr;
        if (getClassObject == nullptr || FAILED(CLSIDFromProgID(L"Morvane.MorvaneCls", &clsid)) ||
            FAILED(getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)))) {
            check::Expect("the library's class object", false);
            return;
        }
        check::ExpectEqual("a class object held keeps the library", S_FALSE, canUnload());
        factory->Release();
        check::ExpectEqual("released, the library may go", S_OK, canUnload());
    });
    check::Group("hourly failure reports", HourlyFailureReports);
    check::Group("message table", MessageTable);
    DeleteFileA((testsupport_win32::ProgramFolder() + "\\Morvane.ini").c_str());
}
