#pragma once

#include <string>

#include "platform/emulated/directory/DirectoryPeople.h"
#include "platform/emulated/directory/DirectoryQuery.h"
#include "platform/emulated/directory/LdapSearch.h"

// A query of the provider's dialect as the LDAP search the provider makes
// of it, and an entry of the result as the row it gives back.
namespace platform::emulated {

// The WHERE clause as a filter: attr='v' is (attr=v), attr='*' (attr=*),
// attr='v*' (attr=v*), joined by (&...); special characters of a value are
// escaped. No condition: (objectClass=*).
std::string LdapFilter(const DirectoryQuery& query);

// The search: its base is the FROM path's distinguished name ("" for
// 'GC://host', the global catalog's root), the columns its attributes
// (adspath is the provider's own), ORDER BY its sort key.
LdapSearchRequest LdapRequestFor(const DirectoryQuery& query);

// An entry as a row: the attribute values in their syntax (integers as
// 32-bit numbers, octet strings as arrays of bytes, several values as an
// array) and adspath "GC://host/" + the entry's distinguished name.
Person PersonFromEntry(const LdapEntry& entry, const std::string& host);

}  // namespace platform::emulated
