// Fuzzes the keyword rebuilding of the stamping with arbitrary display
// formats, SCL values and keywords.
//
// Input, read in turn: the display format, the SCL value, the keywords (no
// value, a value that is not an array, or an array of entries of any kind).
// Properties:
//  - the prefix is "" exactly for the bare display format in any letter
//    case, and the stamp is the prefix followed by the SCL's text;
//  - only values that cannot become text (arrays) throw, and only ComError;
//  - the rebuilt keywords are the user's entries in their order, without
//    blank ones and without the eleven stamps of the form (checked against
//    a plain list of those eleven texts), followed by the stamp as the last
//    entry, so a stamp of the form occurs exactly once;
//  - rebuilding again with the same stamp changes nothing when the stamp is
//    one that a rebuild removes, and appends one more entry otherwise.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/ComError.h"
#include "platform/Text.h"
#include "platform/Variant.h"
#include "sink/KeywordStamp.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

using platform::Variant;
namespace text = platform::text;

Variant ConsumeScalar(FuzzedDataProvider& input) {
    switch (input.ConsumeIntegralInRange<int>(0, 5)) {
        case 0:
            return Variant();
        case 1:
            return Variant::Null();
        case 2:
            return Variant(input.ConsumeIntegral<int32_t>());
        case 3:
            return Variant(input.ConsumeIntegralInRange<int32_t>(-2, 12));
        case 4:
            return Variant(input.ConsumeBool());
        default:
            return Variant(input.ConsumeRandomLengthString(40));
    }
}

// A value of any kind; an array only at the top, or one level down when
// nested is allowed.
Variant ConsumeValue(FuzzedDataProvider& input, bool nested) {
    if (!input.ConsumeBool())
        return ConsumeScalar(input);
    Variant::Array entries;
    const size_t count = input.ConsumeIntegralInRange<size_t>(0, 12);
    for (size_t i = 0; i < count && input.remaining_bytes() > 0; ++i)
        entries.push_back(nested && input.ConsumeIntegralInRange<int>(0, 15) == 0
                              ? ConsumeValue(input, false)
                              : ConsumeScalar(input));
    return Variant(std::move(entries));
}

bool HoldsArray(const Variant::Array& entries) {
    return std::any_of(entries.begin(), entries.end(),
                       [](const Variant& entry) { return entry.IsArray(); });
}

// One of prefix + "-1" ... prefix + "9", spelled out.
bool IsOneOfTheElevenStamps(const std::string& entry, const std::string& prefix) {
    for (int value = -1; value <= 9; ++value) {
        if (text::EqualsNoCase(entry, prefix + std::to_string(value)))
            return true;
    }
    return false;
}

bool IsDropped(const std::string& entry, const std::string& prefix) {
    return text::Trim(entry).empty() || IsOneOfTheElevenStamps(entry, prefix);
}

std::optional<KeywordStamp::Stamp> CheckStamp(const std::string& format, const Variant& scl) {
    if (scl.IsArray()) {
        try {
            KeywordStamp::MakeStamp(scl, format);
        } catch (const platform::ComError&) {
            return std::nullopt;
        }
        FUZZ_CHECK(false, "an array SCL throws ComError");
    }
    const std::optional<KeywordStamp::Stamp> stamp = KeywordStamp::MakeStamp(scl, format);
    const std::string sclText = scl.AppendToEmptyString();
    FUZZ_CHECK(stamp.has_value() == !sclText.empty(), "a stamp exactly for an SCL with text");
    if (!stamp)
        return std::nullopt;
    const std::string prefix = text::EqualsNoCase(format, "<SCL value>") ? "" : "SCL=";
    FUZZ_CHECK(stamp->prefix == prefix, "the bare format alone gives the empty prefix");
    FUZZ_CHECK(stamp->text == prefix + sclText, "the stamp is the prefix and the SCL's text");
    return stamp;
}

Variant::Array ExpectedKeywords(const Variant& keywords, const KeywordStamp::Stamp& stamp) {
    Variant::Array expected;
    if (keywords.IsArray()) {
        for (const Variant& entry : keywords.AsArray()) {
            if (!IsDropped(entry.AppendToEmptyString(), stamp.prefix))
                expected.push_back(entry);
        }
    }
    expected.emplace_back(stamp.text);
    return expected;
}

void CheckRebuiltKeywords(const Variant& keywords, const KeywordStamp::Stamp& stamp) {
    const Variant rebuilt = KeywordStamp::RebuildKeywords(keywords, stamp);
    FUZZ_CHECK(rebuilt.IsArray(), "the keywords are always written as an array");
    const Variant::Array& entries = rebuilt.AsArray();
    FUZZ_CHECK(entries == ExpectedKeywords(keywords, stamp),
               "user keywords kept in order, blanks and old stamps dropped, stamp appended");
    FUZZ_CHECK(!entries.empty() && entries.back() == Variant(stamp.text), "the stamp comes last");
    const auto stamps = std::count_if(entries.begin(), entries.end(), [&](const Variant& entry) {
        return IsOneOfTheElevenStamps(entry.AppendToEmptyString(), stamp.prefix);
    });
    FUZZ_CHECK(stamps == (IsOneOfTheElevenStamps(stamp.text, stamp.prefix) ? 1 : 0),
               "at most one stamp of the form, and it is the new one");

    const Variant again = KeywordStamp::RebuildKeywords(rebuilt, stamp);
    const size_t growth = IsDropped(stamp.text, stamp.prefix) ? 0 : 1;
    FUZZ_CHECK(again.AsArray().size() == entries.size() + growth,
               "a second rebuild keeps one stamp of the form");
}

void CheckKeywords(const Variant& keywords, const KeywordStamp::Stamp& stamp) {
    if (keywords.IsArray() && HoldsArray(keywords.AsArray())) {
        try {
            KeywordStamp::RebuildKeywords(keywords, stamp);
        } catch (const platform::ComError&) {
            return;
        }
        FUZZ_CHECK(false, "an entry that is an array throws ComError");
    }
    CheckRebuiltKeywords(keywords, stamp);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string format = input.ConsumeRandomLengthString(24);
    const Variant scl = ConsumeValue(input, false);
    const Variant keywords = ConsumeValue(input, true);
    if (const auto stamp = CheckStamp(format, scl))
        CheckKeywords(keywords, *stamp);
    return 0;
}
