#include "sink/MorvaneModule.h"

#include <memory>

#include "platform/ComError.h"
#include "platform/Text.h"
#include "platform/Variant.h"

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

// True when text is one of prefix + "-1", prefix + "0", ..., prefix + "9",
// compared without regard to case.
bool IsStampOfForm(const std::string& text, const std::string& prefix) {
    if (text.size() <= prefix.size() || text.size() > prefix.size() + 2)
        return false;
    if (!platform::text::StartsWithNoCase(text, prefix))
        return false;
    const char last = text.back();
    if (last < '0' || last > '9')
        return false;
    return text.size() == prefix.size() + 1 || (text[prefix.size()] == '-' && last == '1');
}

// The keywords without blank-only entries and old stamps of this form, with
// the new stamp appended.
Variant RebuildKeywords(const Variant& keywords, const std::string& prefix,
                        const std::string& stamp) {
    Variant::Array rebuilt;
    if (keywords.IsArray()) {
        const Variant::Array& entries = keywords.AsArray();
        rebuilt.reserve(entries.size() + 1);
        for (const Variant& entry : entries) {
            const std::string text = entry.AppendToEmptyString();
            if (platform::text::Trim(text).empty() || IsStampOfForm(text, prefix))
                continue;
            rebuilt.push_back(entry);
        }
    }
    rebuilt.emplace_back(stamp);
    return Variant(std::move(rebuilt));
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
    const std::string scl = fields->Item(kSclProperty)->Value().AppendToEmptyString();
    if (scl.empty())
        return;
    const std::string prefix =
        platform::text::EqualsNoCase(sDisplayFormat, kBareDisplayFormat) ? "" : "SCL=";
    const std::string stamp = prefix + scl;
    auto keywords = fields->Item(kKeywordsProperty);
    keywords->SetValue(RebuildKeywords(keywords->Value(), prefix, stamp));
    fields->Item(kCommentsProperty)->SetValue(Variant(stamp));
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
