#include "sink/MorvaneModule.h"

#include <memory>

#include "platform/ComError.h"
#include "platform/Variant.h"
#include "sink/KeywordStamp.h"

namespace MorvaneModule {

thread_local std::string sIniFile;
thread_local std::string sDisplayFormat;

namespace {

using platform::Variant;
using platform::store::EventInfo;
using platform::store::Fields;
using platform::store::Record;

// The record of the item in flight; a failure leaves it missing.
std::shared_ptr<Record> FetchEventRecordIgnoringErrors(EventInfo& eventInfo) {
    try {
        return eventInfo.EventRecord();
    } catch (const platform::ComError&) {
        return nullptr;
    }
}

void FetchAndRelease(EventInfo& eventInfo) {
    std::shared_ptr<Record> record = eventInfo.EventRecord();
}

}  // namespace

void SaveBegin(EventInfo& pEventInfo, const std::string& /*bstrURLItem*/, int32_t lFlags) {
    std::shared_ptr<Record> record = FetchEventRecordIgnoringErrors(pEventInfo);
    if ((lFlags & EVT_IS_DELIVERED) == 0 || (lFlags & EVT_IS_COLLECTION) != 0)
        return;
    // From here on every error ends the handler.
    if (!record)
        throw platform::ComError(platform::runtime_error_number::kObjectRequired,
                                 "Object required");
    std::shared_ptr<Fields> fields = record->GetFields();
    const std::optional<KeywordStamp::Stamp> stamp =
        KeywordStamp::MakeStamp(fields->Item(kSclProperty)->Value(), sDisplayFormat);
    if (!stamp)
        return;
    auto keywords = fields->Item(kKeywordsProperty);
    keywords->SetValue(KeywordStamp::RebuildKeywords(keywords->Value(), *stamp));
    fields->Item(kCommentsProperty)->SetValue(Variant(stamp->text));
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
