// Fuzzes the store's reader of registration criteria, the text any caller
// of CreateRegItem chooses, and their evaluation against items.
//
// Input, read in turn: the criteria text, then items (properties with a
// few names and values of every kind a property holds). Properties:
//  - text that is not criteria throws ComError E_INVALIDARG with the
//    store's text, and nothing else; anything else escapes and is reported;
//  - read criteria give an answer for every item, the same each time;
//  - "WHERE NOT (" + the condition + ")" is read too (or refused only for
//    nesting too deep) and answers the opposite for every item;
//  - blank criteria match every item.
#include <fuzzer/FuzzedDataProvider.h>

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/ComError.h"
#include "platform/Text.h"
#include "platform/Variant.h"
#include "platform/emulated/store/StoreCriteria.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/FuzzValues.h"

namespace {

using platform::Variant;
using platform::emulated::StoreCriteria;
namespace text = platform::text;

const std::string kRefusal = "The criteria of the event registration cannot be read: ";
const char* const kNames[] = {"DAV:ishidden", "DAV:contentclass", "scl", "keywords", "a"};

std::optional<StoreCriteria> Parse(const std::string& criteria, bool* tooDeep = nullptr) {
    try {
        return StoreCriteria::Parse(criteria);
    } catch (const platform::ComError& error) {
        FUZZ_CHECK(error.number() == platform::hresult::E_INVALIDARG,
                   "unreadable criteria are E_INVALIDARG");
        FUZZ_CHECK(error.description().rfind(kRefusal, 0) == 0,
                   "unreadable criteria have the store's text");
        if (tooDeep != nullptr)
            *tooDeep = error.description().find("nested") != std::string::npos;
        return std::nullopt;
    }
}

using Item = std::vector<std::pair<std::string, Variant>>;

std::vector<Item> ConsumeItems(FuzzedDataProvider& input) {
    std::vector<Item> items(1);  // an item without properties, always
    const size_t count = input.ConsumeIntegralInRange<size_t>(0, 4);
    for (size_t i = 0; i < count && input.remaining_bytes() > 0; ++i) {
        Item item;
        for (const char* name : kNames) {
            if (input.ConsumeBool())
                item.emplace_back(name, ConsumeVariant(input, true));
        }
        items.push_back(std::move(item));
    }
    return items;
}

StoreCriteria::Lookup LookupIn(const Item& item) {
    return [&item](std::string_view name) {
        for (const auto& [key, value] : item) {
            if (text::EqualsNoCase(key, name))
                return value;
        }
        return Variant();
    };
}

// The condition after a leading WHERE keyword; none when the text does
// not start with one.
std::optional<std::string> ConditionOf(const std::string& criteria) {
    const size_t start = criteria.find_first_not_of(" \t\n\v\f\r");
    if (start == std::string::npos || !text::StartsWithNoCase(criteria.substr(start), "WHERE"))
        return std::nullopt;
    const size_t after = start + 5;
    if (after < criteria.size() && std::isalnum(static_cast<unsigned char>(criteria[after])))
        return std::nullopt;
    return criteria.substr(after);
}

void CheckNegation(const std::string& criteria, const StoreCriteria& parsed,
                   const std::vector<Item>& items) {
    const std::optional<std::string> condition = ConditionOf(criteria);
    if (!condition)
        return;
    bool tooDeep = false;
    const std::optional<StoreCriteria> negated = Parse("WHERE NOT (" + *condition + ")", &tooDeep);
    if (!negated) {
        FUZZ_CHECK(tooDeep, "negated criteria are read unless nested too deep");
        return;
    }
    for (const Item& item : items) {
        FUZZ_CHECK(negated->Matches(LookupIn(item)) != parsed.Matches(LookupIn(item)),
                   "NOT (criteria) answers the opposite");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string criteria = input.ConsumeRandomLengthString(1024);
    const std::vector<Item> items = ConsumeItems(input);
    const std::optional<StoreCriteria> parsed = Parse(criteria);
    if (!parsed)
        return 0;
    for (const Item& item : items) {
        const bool first = parsed->Matches(LookupIn(item));
        FUZZ_CHECK(first == parsed->Matches(LookupIn(item)), "the same answer each time");
        if (text::Trim(criteria).empty())
            FUZZ_CHECK(first, "blank criteria match every item");
    }
    CheckNegation(criteria, *parsed, items);
    return 0;
}
