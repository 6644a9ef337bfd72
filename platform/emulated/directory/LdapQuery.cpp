#include "platform/emulated/directory/LdapQuery.h"

#include <algorithm>
#include <iterator>

#include "platform/Text.h"

namespace platform::emulated {

namespace {

// Attributes of the integer syntaxes (2.5.5.9, 2.5.5.16) among those a
// person has, read as numbers as the provider reads them.
constexpr const char* kIntegerAttributes[] = {
    "userAccountControl", "sAMAccountType", "primaryGroupID", "instanceType",
    "logonCount",         "badPwdCount",    "codePage",       "countryCode",
};

// Attributes of the octet string syntax (2.5.5.10).
constexpr const char* kOctetAttributes[] = {"objectGUID", "objectSid", "msExchMailboxGuid"};

template <size_t N>
bool IsOneOf(const std::string& name, const char* const (&names)[N]) {
    return std::any_of(std::begin(names), std::end(names),
                       [&](const char* known) { return text::EqualsNoCase(name, known); });
}

// RFC 4515: '*', '(', ')', '\' and NUL as \XX.
std::string EscapeFilterValue(const std::string& value) {
    static const char kHex[] = "0123456789abcdef";
    std::string escaped;
    for (const char c : value) {
        if (c == '*' || c == '(' || c == ')' || c == '\\' || c == '\0') {
            const auto byte = static_cast<unsigned char>(c);
            escaped += '\\';
            escaped += kHex[byte >> 4];
            escaped += kHex[byte & 0xF];
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::string ConditionFilter(const DirectoryCondition& condition) {
    switch (condition.kind) {
        case DirectoryCondition::Kind::Present:
            return "(" + condition.attribute + "=*)";
        case DirectoryCondition::Kind::Prefix:
            return "(" + condition.attribute + "=" + EscapeFilterValue(condition.value) + "*)";
        case DirectoryCondition::Kind::Equals:
            break;
    }
    return "(" + condition.attribute + "=" + EscapeFilterValue(condition.value) + ")";
}

Variant OneValue(const std::string& name, const std::string& value) {
    if (IsOneOf(name, kOctetAttributes)) {
        Variant::Array bytes;
        for (const char c : value)
            bytes.emplace_back(static_cast<int32_t>(static_cast<unsigned char>(c)));
        return Variant(std::move(bytes));
    }
    if (IsOneOf(name, kIntegerAttributes)) {
        try {
            return Variant(static_cast<int32_t>(std::stoll(value)));
        } catch (const std::exception&) {
            return Variant(value);
        }
    }
    return Variant(value);
}

}  // namespace

std::string LdapFilter(const DirectoryQuery& query) {
    if (query.conditions.empty())
        return "(objectClass=*)";
    if (query.conditions.size() == 1)
        return ConditionFilter(query.conditions.front());
    std::string filter = "(&";
    for (const DirectoryCondition& condition : query.conditions)
        filter += ConditionFilter(condition);
    return filter + ")";
}

LdapSearchRequest LdapRequestFor(const DirectoryQuery& query) {
    LdapSearchRequest request;
    const std::string rest = query.from.size() > 5 ? query.from.substr(5) : "";
    const size_t slash = rest.find('/');
    request.base = slash == std::string::npos ? "" : rest.substr(slash + 1);
    request.filter = LdapFilter(query);
    for (const std::string& column : query.columns) {
        if (!text::EqualsNoCase(column, "adspath"))
            request.attributes.push_back(column);
    }
    // Only adspath asked for: the entries' names are enough.
    if (request.attributes.empty() && !query.columns.empty())
        request.attributes.push_back("1.1");
    request.sortKey = query.orderBy;
    request.descending = query.descending;
    return request;
}

Person PersonFromEntry(const LdapEntry& entry, const std::string& host) {
    Person person;
    for (const auto& [name, values] : entry.attributes) {
        if (values.empty())
            continue;
        if (values.size() == 1) {
            person.Set(name, OneValue(name, values.front()));
            continue;
        }
        Variant::Array all;
        for (const std::string& value : values)
            all.push_back(OneValue(name, value));
        person.Set(name, Variant(std::move(all)));
    }
    person.Set("adspath", Variant("GC://" + host + "/" + entry.dn));
    return person;
}

}  // namespace platform::emulated
