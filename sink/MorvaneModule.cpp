#include "sink/MorvaneModule.h"

#include <memory>
#include <optional>

#include "platform/ComError.h"
#include "platform/Variant.h"
#include "sink/KeywordStamp.h"

namespace MorvaneModule {

thread_local std::string sIniFile;
thread_local std::string sDisplayFormat;
thread_local Step sStep = Step::EventRecord;

namespace {

using platform::Variant;
using platform::store::EventInfo;
using platform::store::Fields;
using platform::store::Record;

// The record of the item in flight, or the error that kept it away.
struct FetchedRecord {
    std::shared_ptr<Record> record;
    std::optional<platform::ComError> failure;
};

FetchedRecord FetchEventRecordIgnoringErrors(EventInfo& eventInfo) {
    sStep = Step::EventRecord;
    try {
        return FetchedRecord{eventInfo.EventRecord(), std::nullopt};
    } catch (const platform::ComError& error) {
        return FetchedRecord{nullptr, error};
    }
}

void FetchAndRelease(EventInfo& eventInfo) {
    sStep = Step::EventRecord;
    std::shared_ptr<Record> record = eventInfo.EventRecord();
}

}  // namespace

void SaveBegin(EventInfo& pEventInfo, const std::string& /*bstrURLItem*/, int32_t lFlags) {
    FetchedRecord fetched = FetchEventRecordIgnoringErrors(pEventInfo);
    if ((lFlags & EVT_IS_DELIVERED) == 0 || (lFlags & EVT_IS_COLLECTION) != 0)
        return;
    // From here on every error ends the handler. Without a record nothing
    // can be read; the fetch's own error says why.
    if (!fetched.record) {
        if (fetched.failure)
            throw *fetched.failure;
        throw platform::ComError(platform::runtime_error_number::kObjectRequired,
                                 "Object required");
    }
    sStep = Step::FieldRead;
    std::shared_ptr<Fields> fields = fetched.record->GetFields();
    const std::optional<KeywordStamp::Stamp> stamp =
        KeywordStamp::MakeStamp(fields->Item(kSclProperty)->Value(), sDisplayFormat);
    if (!stamp)
        return;
    auto keywords = fields->Item(kKeywordsProperty);
    Variant rebuilt = KeywordStamp::RebuildKeywords(keywords->Value(), *stamp);
    sStep = Step::FieldWrite;
    keywords->SetValue(rebuilt);
    fields->Item(kCommentsProperty)->SetValue(Variant(stamp->text));
    sStep = Step::Update;
    fields->Update();
}

void SaveCommitted(EventInfo& pEventInfo, const std::string&, int32_t) {
    FetchAndRelease(pEventInfo);
}

void SaveAborted(EventInfo& pEventInfo, const std::string&, int32_t) {
    FetchAndRelease(pEventInfo);
}

void DeleteBegin(EventInfo& pEventInfo, const std::string&, int32_t) {
    FetchAndRelease(pEventInfo);
}

void DeleteCommitted(EventInfo& pEventInfo, const std::string&, int32_t) {
    FetchAndRelease(pEventInfo);
}

void DeleteAborted(EventInfo& pEventInfo, const std::string&, int32_t) {
    FetchAndRelease(pEventInfo);
}

}  // namespace MorvaneModule
