#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/emulated/directory/DirectoryPeople.h"

// The SQL dialect of the directory's OLE DB provider, as far as the setup
// program uses it:
//
//   SELECT attr, attr, ... | *  FROM 'GC://host[/...]'
//   [WHERE attr='value' [AND attr='value' ...]]  [ORDER BY attr [ASC|DESC]]
//
// Keywords and attribute names ignore case. A value compares without
// regard to case; '*' alone is a presence test and a value ending in '*' a
// prefix match; an apostrophe inside a value is written twice. Anything
// else (other operators, OR, NOT, parentheses, a second sort key) is a
// command error.
namespace platform::emulated {

struct DirectoryCondition {
    enum class Kind { Equals, Present, Prefix };
    std::string attribute;
    Kind kind = Kind::Equals;
    std::string value;  // without the trailing '*' of a prefix
};

struct DirectoryQuery {
    std::vector<std::string> columns;  // empty for SELECT *
    std::string from;
    std::vector<DirectoryCondition> conditions;
    std::optional<std::string> orderBy;
    bool descending = false;
};

// Parses a command text; a text outside the dialect throws ComError
// DB_E_ERRORSINCOMMAND.
DirectoryQuery ParseDirectoryQuery(std::string_view commandText);

bool Matches(const DirectoryCondition& condition, const Person& person);
bool Matches(const DirectoryQuery& query, const Person& person);

// The people that match, sorted by the query's key in the directory's
// collation (DirectoryCollation.h; people without the key last, ties in the
// given order), then cut to the first sizeLimit of them when it is positive.
std::vector<Person> RunDirectoryQuery(const DirectoryQuery& query, std::vector<Person> people,
                                      int32_t sizeLimit);

// The most entries the directory returns to a query that does not page
// (Active Directory's MaxPageSize policy).
constexpr int32_t kMaxPageSize = 1000;

// How many entries a query gets, by its command's "Page Size" and "Size
// Limit" (0 or less: not set): a paged query every match up to the size
// limit, any other at most kMaxPageSize and the size limit. 0 means all.
int32_t ResultLimit(int32_t pageSize, int32_t sizeLimit);

// The host of a "GC://host/..." path; empty when the path is not a global
// catalog path.
std::string GlobalCatalogHost(std::string_view adsPath);

}  // namespace platform::emulated
