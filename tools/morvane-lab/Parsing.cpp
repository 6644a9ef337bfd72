#include "tools/morvane-lab/Parsing.h"

#include <cctype>
#include <charconv>
#include <limits>

#include "platform/Text.h"
#include "tools/morvane-lab/Lab.h"

namespace lab {

namespace {

bool IsNameCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-';
}

bool IsLabel(const std::string& label) {
    if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-')
        return false;
    for (char c : label) {
        if (!IsNameCharacter(c))
            return false;
    }
    return true;
}

// Parses all of text as an integer of the given base; false when any of it
// is not a digit or the value does not fit.
bool ParseWhole(const std::string& text, int base, int64_t& value) {
    if (text.empty())
        return false;
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value, base);
    return error == std::errc() && stop == end;
}

}  // namespace

int32_t ParseHresult(const std::string& text) {
    int64_t value = 0;
    if (platform::text::StartsWithNoCase(text, "0x")) {
        if (!ParseWhole(text.substr(2), 16, value) || value < 0 || value > 0xFFFFFFFFLL)
            throw LabError("not an HRESULT: \"" + text + "\"");
        return static_cast<int32_t>(static_cast<uint32_t>(value));
    }
    if (!ParseWhole(text, 10, value) || value < std::numeric_limits<int32_t>::min() ||
        value > std::numeric_limits<int32_t>::max()) {
        throw LabError("not a 32-bit number: \"" + text + "\"");
    }
    return static_cast<int32_t>(value);
}

void CheckMailAddress(const std::string& address) {
    size_t at = address.find('@');
    bool valid = at != std::string::npos && at > 0 && at + 1 < address.size() &&
                 address.find('@', at + 1) == std::string::npos;
    for (char c : address) {
        if (c == '/' || c == '\\' || std::isspace(static_cast<unsigned char>(c)) != 0 ||
            std::iscntrl(static_cast<unsigned char>(c)) != 0)
            valid = false;
    }
    if (!valid)
        throw LabError("not an e-mail address: \"" + address + "\"");
}

void CheckServerName(const std::string& name) {
    bool valid = !name.empty() && name.size() <= 15;
    for (char c : name)
        valid = valid && IsNameCharacter(c);
    if (!valid)
        throw LabError("not a server name (1 to 15 letters, digits or hyphens): \"" + name + "\"");
}

void CheckDomainName(const std::string& domain) {
    bool valid = !domain.empty() && domain.size() <= 253;
    size_t start = 0;
    while (valid) {
        size_t dot = domain.find('.', start);
        valid = IsLabel(domain.substr(start, dot - start));
        if (dot == std::string::npos)
            break;
        start = dot + 1;
    }
    if (!valid)
        throw LabError("not a DNS domain name: \"" + domain + "\"");
}

}  // namespace lab
