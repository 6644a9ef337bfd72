#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Variant.h"
#include "tests/win32/FakeObject.h"

// A mail store in memory, reached through fake ADO objects with the
// members the sink uses: Connection, Record, Fields, Field. A missing item
// opened with fail-if-not-exists fails with DB_E_NOTFOUND.
namespace fakes {

constexpr HRESULT kNotFound = static_cast<HRESULT>(0x80040E19);

struct StoreData {
    // Item URL -> property name -> value.
    std::map<std::string, std::map<std::string, platform::Variant>> items;
    // What the ADO objects were asked to do, e.g. "Open http://x", "BeginTrans".
    std::vector<std::string> log;
    // URL pieces whose opening fails with this error (besides "not found").
    std::map<std::string, Failure> failures;
    // Properties whose write fails with this error.
    std::map<std::string, Failure> writeFailures;
};

ComPtr<FakeObject> MakeConnection(std::shared_ptr<StoreData> store);
ComPtr<FakeObject> MakeRecord(std::shared_ptr<StoreData> store);
// A record already open on an existing item, as the store hands it to a
// sink in the event information.
ComPtr<FakeObject> MakeOpenRecord(std::shared_ptr<StoreData> store, const std::string& url);
// The event information object: answers IExStoreDispEventInfo, whose
// EventRecord is the given record.
ComPtr<FakeObject> MakeEventInfo(ComPtr<FakeObject> record);

}  // namespace fakes
