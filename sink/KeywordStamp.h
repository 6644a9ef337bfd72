#pragma once

#include <optional>
#include <string>

#include "platform/Variant.h"

// The pure part of the stamping: the stamp an SCL value gives in a display
// format, and the keywords rebuilt around it. No store access here, so the
// rules can be checked on their own.
namespace KeywordStamp {

struct Stamp {
    std::string prefix;  // "" for the bare form, "SCL=" otherwise
    std::string text;    // prefix followed by the SCL value
};

// "" when displayFormat is the bare display format (compared without regard
// to case), "SCL=" for every other value, including the empty one.
std::string StampPrefix(const std::string& displayFormat);

// The stamp of an SCL value, or none when the value gives no text (empty or
// null). A value that cannot be turned into text throws ComError.
std::optional<Stamp> MakeStamp(const platform::Variant& scl, const std::string& displayFormat);

// True when text is one of prefix + "-1", prefix + "0", ..., prefix + "9",
// compared without regard to case and without trimming.
bool IsStampOfForm(const std::string& text, const std::string& prefix);

// The keywords without blank-only entries and old stamps of this form, in
// their order, with the new stamp appended; a value that is not an array
// counts as no keywords. An entry that cannot be turned into text throws
// ComError.
platform::Variant RebuildKeywords(const platform::Variant& keywords, const Stamp& stamp);

}  // namespace KeywordStamp
