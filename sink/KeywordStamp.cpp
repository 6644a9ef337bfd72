#include "sink/KeywordStamp.h"

#include "platform/Text.h"
#include "sink/MorvaneModule.h"

namespace KeywordStamp {

using platform::Variant;

std::string StampPrefix(const std::string& displayFormat) {
    return platform::text::EqualsNoCase(displayFormat, MorvaneModule::kBareDisplayFormat) ? ""
                                                                                          : "SCL=";
}

std::optional<Stamp> MakeStamp(const Variant& scl, const std::string& displayFormat) {
    const std::string value = scl.AppendToEmptyString();
    if (value.empty())
        return std::nullopt;
    std::string prefix = StampPrefix(displayFormat);
    std::string text = prefix + value;
    return Stamp{std::move(prefix), std::move(text)};
}

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

Variant RebuildKeywords(const Variant& keywords, const Stamp& stamp) {
    Variant::Array rebuilt;
    if (keywords.IsArray()) {
        const Variant::Array& entries = keywords.AsArray();
        rebuilt.reserve(entries.size() + 1);
        for (const Variant& entry : entries) {
            const std::string text = entry.AppendToEmptyString();
            if (platform::text::Trim(text).empty() || IsStampOfForm(text, stamp.prefix))
                continue;
            rebuilt.push_back(entry);
        }
    }
    rebuilt.emplace_back(stamp.text);
    return Variant(std::move(rebuilt));
}

}  // namespace KeywordStamp
