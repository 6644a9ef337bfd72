// Fuzzes the extraction of the mailbox address from a list entry.
//
// Input: the entry text, as it stands. Two properties:
//  - on any text, the result is what the three extraction steps give, worked
//    out here with plain 0-based searches;
//  - an entry built from four or six fields without '/' yields its
//    next-to-last field, trimmed, when that holds an '@' after its first
//    character, and "" otherwise.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "setup/ListEntry.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

const std::string kSeparator = " / ";

std::string TrimBlanks(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The address if text holds an '@' after its first character, else "".
std::string AddressOrNothing(const std::string& text) {
    const size_t at = text.rfind('@');
    return at != std::string::npos && at >= 1 ? text : "";
}

std::string ExpectedAddress(const std::string& entry) {
    std::string rest = entry;
    if (const size_t last = rest.rfind(kSeparator); last != std::string::npos)
        rest = rest.substr(0, last);
    if (const size_t previous = rest.rfind(kSeparator); previous != std::string::npos)
        rest = TrimBlanks(rest.substr(previous + kSeparator.size()));
    return AddressOrNothing(rest);
}

std::string WithoutSlashes(std::string text) {
    for (char& c : text) {
        if (c == '/')
            c = '|';
    }
    return text;
}

void CheckArbitraryText(const std::string& entry) {
    FUZZ_CHECK(setup::ListEntry::ExtractAddress(entry) == ExpectedAddress(entry),
               "the address is what the extraction steps give");
}

void CheckBuiltEntry(FuzzedDataProvider& input) {
    const size_t fieldCount = input.ConsumeBool() ? 6 : 4;
    std::vector<std::string> fields;
    for (size_t i = 0; i < fieldCount; ++i)
        fields.push_back(WithoutSlashes(input.ConsumeRandomLengthString(64)));
    std::string entry = fields[0];
    for (size_t i = 1; i < fieldCount; ++i)
        entry += kSeparator + fields[i];
    const std::string address = AddressOrNothing(TrimBlanks(fields[fieldCount - 2]));
    FUZZ_CHECK(setup::ListEntry::ExtractAddress(entry) == address,
               "an entry of four or six fields yields its next-to-last field");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string whole(reinterpret_cast<const char*>(data), size);
    CheckArbitraryText(whole);
    FuzzedDataProvider input(data, size);
    CheckBuiltEntry(input);
    return 0;
}
