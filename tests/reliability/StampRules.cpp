#include "tests/reliability/StampRules.h"

#include <algorithm>
#include <cctype>

namespace reliability {

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool BlankOnly(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c == ' '; });
}

// One of the eleven stamps -1 to 9 of the form.
bool IsOldStamp(const std::string& text, StampForm form) {
    for (int32_t value = -1; value <= 9; ++value) {
        if (Lower(text) == Lower(StampOf(form, value)))
            return true;
    }
    return false;
}

}  // namespace

StampForm FormOfDisplayFormat(const std::string& value) {
    return Lower(value) == "<scl value>" ? StampForm::Bare : StampForm::Prefixed;
}

const char* NameOf(StampForm form) {
    return form == StampForm::Bare ? "bare" : "SCL=";
}

std::string StampOf(StampForm form, int32_t scl) {
    return (form == StampForm::Bare ? "" : "SCL=") + std::to_string(scl);
}

platform::Variant StampedKeywords(const platform::Variant& keywords, StampForm form, int32_t scl) {
    std::vector<platform::Variant> result;
    if (keywords.IsArray()) {
        for (const platform::Variant& entry : keywords.AsArray()) {
            const std::string text = entry.AppendToEmptyString();
            if (!BlankOnly(text) && !IsOldStamp(text, form))
                result.push_back(entry);
        }
    }
    result.emplace_back(StampOf(form, scl));
    return platform::Variant(std::move(result));
}

}  // namespace reliability
