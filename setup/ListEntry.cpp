#include "setup/ListEntry.h"

#include "platform/Text.h"

namespace setup::ListEntry {

namespace text = platform::text;

std::string ExtractAddress(const std::string& entry) {
    const std::string separator = kFieldSeparator;
    std::string rest = entry;
    if (const size_t last = text::FindLast(rest, separator); last > 0) {
        rest = text::Left(rest, last - 1);
    }
    if (const size_t previous = text::FindLast(rest, separator); previous > 0) {
        rest = text::Trim(text::Mid(rest, previous + separator.size()));
    }
    return text::FindLast(rest, "@") >= 2 ? rest : "";
}

}  // namespace setup::ListEntry
