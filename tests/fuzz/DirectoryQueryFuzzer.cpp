// Fuzzes the emulated directory's query dialect: the parser, the matching
// and the query run over a handful of people.
//
// Input, read in turn: the command text, then people (attributes with names
// and values of any kind the directory holds), then the size limit.
// Properties:
//  - a command outside the dialect throws ComError DB_E_ERRORSINCOMMAND
//    with its text, and nothing else; anything else escapes and is reported;
//  - a parsed command written back in the dialect parses to the same query;
//  - a run returns only matching people, all of them up to the size limit,
//    sorted by the key in the directory's collation with people lacking it
//    last; a sort on a key that a matching person holds several values of
//    is refused with ComError.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/ComError.h"
#include "platform/Variant.h"
#include "platform/emulated/directory/DirectoryCollation.h"
#include "platform/emulated/directory/DirectoryQuery.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/FuzzValues.h"

namespace {

using platform::Variant;
using platform::emulated::DirectoryCondition;
using platform::emulated::DirectoryQuery;
using platform::emulated::Person;

constexpr int32_t kErrorsInCommand = platform::hresult::FromUnsigned(0x80040E14);

std::optional<DirectoryQuery> Parse(const std::string& command) {
    try {
        return platform::emulated::ParseDirectoryQuery(command);
    } catch (const platform::ComError& error) {
        FUZZ_CHECK(error.number() == kErrorsInCommand, "a bad command is DB_E_ERRORSINCOMMAND");
        FUZZ_CHECK(
            error.description() == "One or more errors occurred during processing of command.",
            "a bad command has the provider's text");
        return std::nullopt;
    }
}

std::string Quoted(const std::string& value) {
    std::string quoted = "'";
    for (char c : value)
        quoted += c == '\'' ? std::string("''") : std::string(1, c);
    return quoted + "'";
}

std::string ConditionText(const DirectoryCondition& condition) {
    switch (condition.kind) {
        case DirectoryCondition::Kind::Present:
            return condition.attribute + "='*'";
        case DirectoryCondition::Kind::Prefix:
            return condition.attribute + "=" + Quoted(condition.value + "*");
        case DirectoryCondition::Kind::Equals:
            break;
    }
    return condition.attribute + "=" + Quoted(condition.value);
}

// The query written back in the dialect, in its plainest spelling.
std::string CommandText(const DirectoryQuery& query) {
    std::string command = "SELECT ";
    if (query.columns.empty()) {
        command += "*";
    } else {
        command += "ALL ";
        for (size_t i = 0; i < query.columns.size(); ++i)
            command += (i == 0 ? "" : ", ") + query.columns[i];
    }
    command += " FROM " + Quoted(query.from);
    for (size_t i = 0; i < query.conditions.size(); ++i)
        command += (i == 0 ? " WHERE " : " AND ") + ConditionText(query.conditions[i]);
    if (query.orderBy)
        command += " ORDER BY " + *query.orderBy + (query.descending ? " DESC" : " ASC");
    return command;
}

bool SameQuery(const DirectoryQuery& a, const DirectoryQuery& b) {
    auto sameCondition = [](const DirectoryCondition& x, const DirectoryCondition& y) {
        return x.attribute == y.attribute && x.kind == y.kind && x.value == y.value;
    };
    return a.columns == b.columns && a.from == b.from && a.orderBy == b.orderBy &&
           a.descending == b.descending &&
           std::equal(a.conditions.begin(), a.conditions.end(), b.conditions.begin(),
                      b.conditions.end(), sameCondition);
}

void CheckWrittenBack(const DirectoryQuery& query) {
    const std::optional<DirectoryQuery> again = Parse(CommandText(query));
    FUZZ_CHECK(again.has_value(), "a parsed command written back parses");
    FUZZ_CHECK(SameQuery(query, *again), "a parsed command written back gives the same query");
}

std::vector<Person> ConsumePeople(FuzzedDataProvider& input) {
    std::vector<Person> people;
    const size_t count = input.ConsumeIntegralInRange<size_t>(0, 8);
    for (size_t i = 0; i < count && input.remaining_bytes() > 0; ++i) {
        Person person;
        const size_t attributes = input.ConsumeIntegralInRange<size_t>(0, 5);
        for (size_t a = 0; a < attributes; ++a) {
            const std::string name = input.ConsumeRandomLengthString(16);
            person.Set(name, ConsumeVariant(input, false));
        }
        people.push_back(std::move(person));
    }
    return people;
}

bool SortsBefore(const DirectoryQuery& query, const Person& a, const Person& b) {
    const Variant* x = a.Find(*query.orderBy);
    const Variant* y = b.Find(*query.orderBy);
    if ((x == nullptr) != (y == nullptr))
        return y == nullptr;
    if (x == nullptr)
        return false;
    const std::string left = platform::emulated::DirectorySortKey(x->AppendToEmptyString());
    const std::string right = platform::emulated::DirectorySortKey(y->AppendToEmptyString());
    return query.descending ? right < left : left < right;
}

void CheckResult(const DirectoryQuery& query, const std::vector<Person>& people,
                 const std::vector<Person>& result, int32_t sizeLimit) {
    const auto matching =
        static_cast<size_t>(std::count_if(people.begin(), people.end(), [&](const Person& person) {
            return Matches(query, person);
        }));
    const size_t expected =
        sizeLimit > 0 ? std::min(matching, static_cast<size_t>(sizeLimit)) : matching;
    FUZZ_CHECK(result.size() == expected, "every matching person up to the size limit");
    for (size_t i = 0; i < result.size(); ++i) {
        FUZZ_CHECK(Matches(query, result[i]), "only matching people come back");
        if (query.orderBy && i > 0)
            FUZZ_CHECK(!SortsBefore(query, result[i], result[i - 1]), "sorted by the key");
    }
}

bool SortKeyHasSeveralValues(const DirectoryQuery& query, const std::vector<Person>& people) {
    return query.orderBy && std::any_of(people.begin(), people.end(), [&](const Person& person) {
               const Variant* value = person.Find(*query.orderBy);
               return Matches(query, person) && value != nullptr && value->IsArray();
           });
}

void CheckRun(const DirectoryQuery& query, const std::vector<Person>& people, int32_t sizeLimit) {
    if (SortKeyHasSeveralValues(query, people)) {
        try {
            platform::emulated::RunDirectoryQuery(query, people, sizeLimit);
        } catch (const platform::ComError&) {
            return;
        }
        FUZZ_CHECK(false, "a sort on a multi-valued key is refused with ComError");
    }
    CheckResult(query, people, platform::emulated::RunDirectoryQuery(query, people, sizeLimit),
                sizeLimit);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string command = input.ConsumeRandomLengthString(512);
    const std::optional<DirectoryQuery> query = Parse(command);
    if (!query)
        return 0;
    CheckWrittenBack(*query);
    const std::vector<Person> people = ConsumePeople(input);
    CheckRun(*query, people, input.ConsumeIntegralInRange<int32_t>(-1, 10));
    return 0;
}
