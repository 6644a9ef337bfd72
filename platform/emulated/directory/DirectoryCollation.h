#pragma once

#include <string>
#include <string_view>

// The directory's order of texts, which ORDER BY sorts by: Unicode-aware
// and without regard to letter case, as the directory's own collation.
// ICU's root collation at secondary strength: accents count, letter case
// does not, so "Åsa" sorts among the A's and "abe" ties with "Abe".
namespace platform::emulated {

// The sort key of a UTF-8 text (invalid bytes count as U+FFFD): two keys
// compare as byte strings in the directory's order of their texts.
std::string DirectorySortKey(std::string_view text);

}  // namespace platform::emulated
