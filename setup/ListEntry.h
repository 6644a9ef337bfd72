#pragma once

#include <string>

// The text entries of the four mailbox lists: fields joined by " / ", the
// mailbox's e-mail address always the next-to-last field, its alias the
// last.
namespace setup::ListEntry {

// The separator between the fields of an entry.
inline constexpr const char* kFieldSeparator = " / ";

// The mailbox address of an entry: the next-to-last field, trimmed; "" when
// it holds no "@" after its first character.
std::string ExtractAddress(const std::string& entry);

}  // namespace setup::ListEntry
