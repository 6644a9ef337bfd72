#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Variant.h"

// What a delivered message must look like after the sink stamped it,
// worked out independently of the sink, from the stamping rules: the
// stamp's form, the stamp, and the keywords with old stamps of the same
// form removed.
namespace reliability {

enum class StampForm { Prefixed, Bare };

// The form a display format value selects: the bare form for
// "<SCL value>" in any letter case, the "SCL=" form for anything else.
StampForm FormOfDisplayFormat(const std::string& value);

const char* NameOf(StampForm form);

// "SCL=6" or "6".
std::string StampOf(StampForm form, int32_t scl);

// The keywords the sink writes for a message delivered with keywords in
// that form: the entries in order without blank-only ones and without the
// stamps of -1 to 9 of the same form (letter case ignored, entry not
// trimmed), then the stamp. Keywords that are not an array are discarded.
platform::Variant StampedKeywords(const platform::Variant& keywords, StampForm form, int32_t scl);

}  // namespace reliability
