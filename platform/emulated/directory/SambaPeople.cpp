#include <ldap.h>

#include <algorithm>
#include <iterator>
#include <list>
#include <map>
#include <optional>
#include <set>

#include "platform/ComError.h"
#include "platform/Text.h"
#include "platform/emulated/db/ServerDb.h"
#include "platform/emulated/directory/DirectoryService.h"
#include "platform/emulated/directory/LdapSearch.h"
#include "platform/emulated/directory/SambaDomain.h"

// The people of a Samba domain made from the server's: each person is a
// user object in the container its adspath names, with the attributes the
// walk reads, marked by its description so that the domain's own accounts
// are never touched.
namespace platform::emulated::samba {

namespace {

constexpr const char* kMarker = "morvane-lab";
constexpr const char* kKeptAttributes[] = {"sAMAccountName",       "mail",    "mailNickname",
                                           "msExchHomeServerName", "homeMDB", "userAccountControl",
                                           "msExchMailboxGuid"};

// A person as the domain keeps it: its name and its kept attributes, by
// their names in kKeptAttributes.
struct DomainPerson {
    std::string dn;
    std::map<std::string, std::string> values;
};

std::string Lower(const std::string& dn) {
    return text::ToLower(dn);
}

// RFC 4514: the characters a relative name's value escapes.
std::string EscapeRdnValue(const std::string& value) {
    std::string escaped;
    for (size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        const bool edge = (i == 0 && (c == ' ' || c == '#')) || (i + 1 == value.size() && c == ' ');
        if (edge || std::string_view(",+\"\\<>;=").find(c) != std::string_view::npos)
            escaped += '\\';
        escaped += c;
    }
    return escaped;
}

// The container of a person: what its adspath names after "CN=<cn>,", else
// the domain's Users.
std::string ContainerOf(const Person& person, const std::string& cn, const DirectoryNames& names) {
    const Variant* path = person.Find("adspath");
    const std::string adsPath = path == nullptr ? "" : path->AppendToEmptyString();
    const std::string prefix = "GC://" + names.globalCatalogHost + "/CN=" + cn + ",";
    if (text::StartsWithNoCase(adsPath, prefix))
        return adsPath.substr(prefix.size());
    return "CN=Users," + names.DomainDn();
}

DomainPerson Wanted(const Person& person, const DirectoryNames& names) {
    DomainPerson wanted;
    const std::string cn = person.Find("cn")->AppendToEmptyString();
    wanted.dn = "CN=" + EscapeRdnValue(cn) + "," + ContainerOf(person, cn, names);
    for (const char* name : kKeptAttributes) {
        if (const Variant* value = person.Find(name); value != nullptr && !value->IsNull())
            wanted.values[name] = value->AppendToEmptyString();
    }
    return wanted;
}

[[noreturn]] void Fail(LDAP* ldap, const std::string& what, const std::string& dn, int code) {
    char* detail = nullptr;
    ldap_get_option(ldap, LDAP_OPT_DIAGNOSTIC_MESSAGE, &detail);
    std::string text = what + " " + dn + " in the Samba domain failed: " + ldap_err2string(code);
    if (detail != nullptr && *detail != '\0')
        text += std::string(" (") + detail + ")";
    ldap_memfree(detail);
    throw ServerError(text);
}

// The people made before, with their kept attributes.
std::map<std::string, DomainPerson> Current(const std::shared_ptr<LdapSession>& session,
                                            const DirectoryNames& names) {
    LdapSearchRequest request;
    request.base = names.DomainDn();
    request.filter = std::string("(description=") + kMarker + ")";
    request.attributes.assign(std::begin(kKeptAttributes), std::end(kKeptAttributes));
    request.pageSize = 1000;
    LdapPagedSearch search(session, request);
    std::map<std::string, DomainPerson> current;
    while (!search.Done()) {
        for (LdapEntry& entry : search.NextPage()) {
            DomainPerson person{entry.dn, {}};
            for (auto& [name, values] : entry.attributes) {
                for (const char* kept : kKeptAttributes) {
                    if (text::EqualsNoCase(name, kept) && !values.empty())
                        person.values[kept] = values.front();
                }
            }
            current[Lower(entry.dn)] = std::move(person);
        }
    }
    return current;
}

// One modification for LDAP: an operation on one attribute with its values.
class Modifications {
  public:
    void Add(int operation, const char* name, const std::vector<std::string>& values) {
        auto& held = values_.emplace_back(values);
        auto& pointers = pointers_.emplace_back();
        for (std::string& value : held)
            pointers.push_back(value.data());
        pointers.push_back(nullptr);
        items_.push_back(LDAPMod{operation, const_cast<char*>(name), {pointers.data()}});
    }
    bool Empty() const { return items_.empty(); }
    std::vector<LDAPMod*> List() {
        std::vector<LDAPMod*> list;
        for (LDAPMod& item : items_)
            list.push_back(&item);
        list.push_back(nullptr);
        return list;
    }

  private:
    // Stable storage: lists keep what they hold when they grow.
    std::list<std::vector<std::string>> values_;
    std::list<std::vector<char*>> pointers_;
    std::list<LDAPMod> items_;
};

void AddEntry(LDAP* ldap, const std::string& dn, Modifications& modifications) {
    std::vector<LDAPMod*> list = modifications.List();
    if (const int added = ldap_add_ext_s(ldap, dn.c_str(), list.data(), nullptr, nullptr))
        Fail(ldap, "adding", dn, added);
}

// The containers above dn within the domain, made when missing.
void EnsureContainer(LDAP* ldap, const std::string& dn, const DirectoryNames& names,
                     std::set<std::string>& known) {
    if (known.count(Lower(dn)) || text::EqualsNoCase(dn, names.DomainDn()))
        return;
    LDAPMessage* result = nullptr;
    char noAttributes[] = "1.1";
    char* attributes[] = {noAttributes, nullptr};
    const int found = ldap_search_ext_s(ldap, dn.c_str(), LDAP_SCOPE_BASE, "(objectClass=*)",
                                        attributes, 0, nullptr, nullptr, nullptr, 1, &result);
    ldap_msgfree(result);
    if (found == LDAP_NO_SUCH_OBJECT) {
        const size_t comma = dn.find(',');
        if (comma != std::string::npos)
            EnsureContainer(ldap, dn.substr(comma + 1), names, known);
        const bool unit = text::StartsWithNoCase(dn, "OU=");
        const std::string name =
            dn.substr(3, comma == std::string::npos ? std::string::npos : comma - 3);
        Modifications container;
        container.Add(LDAP_MOD_ADD, "objectClass", {unit ? "organizationalUnit" : "container"});
        container.Add(LDAP_MOD_ADD, unit ? "ou" : "cn", {name});
        AddEntry(ldap, dn, container);
    } else if (found != LDAP_SUCCESS) {
        Fail(ldap, "looking up", dn, found);
    }
    known.insert(Lower(dn));
}

void AddPerson(LDAP* ldap, const DomainPerson& person) {
    Modifications entry;
    entry.Add(LDAP_MOD_ADD, "objectClass", {"user"});
    entry.Add(LDAP_MOD_ADD, "description", {kMarker});
    for (const auto& [name, value] : person.values)
        entry.Add(LDAP_MOD_ADD, name.c_str(), {value});
    AddEntry(ldap, person.dn, entry);
}

// Changes the kept attributes that differ; true when there were any.
bool UpdatePerson(LDAP* ldap, const DomainPerson& wanted, const DomainPerson& current) {
    Modifications changes;
    for (const char* name : kKeptAttributes) {
        const auto want = wanted.values.find(name);
        const auto have = current.values.find(name);
        if (want != wanted.values.end() &&
            (have == current.values.end() || have->second != want->second))
            changes.Add(LDAP_MOD_REPLACE, name, {want->second});
        else if (want == wanted.values.end() && have != current.values.end())
            changes.Add(LDAP_MOD_DELETE, name, {});
    }
    if (changes.Empty())
        return false;
    std::vector<LDAPMod*> list = changes.List();
    if (const int changed =
            ldap_modify_ext_s(ldap, current.dn.c_str(), list.data(), nullptr, nullptr))
        Fail(ldap, "changing", current.dn, changed);
    return true;
}

}  // namespace

int SyncPeople(const std::string& address, const DirectoryNames& names,
               const std::vector<Person>& people) {
    std::shared_ptr<LdapSession> session;
    try {
        session = BindLdap("ldap://" + address, BindAccount(names), kBindPassword);
    } catch (const ComError& error) {
        throw ServerError("cannot bind to the Samba domain at " + address + ": " + error.what());
    }
    LDAP* ldap = session->Handle();
    std::map<std::string, DomainPerson> current = Current(session, names);
    std::set<std::string> containers;
    int changed = 0;
    for (const Person& person : people) {
        const DomainPerson wanted = Wanted(person, names);
        const auto found = current.find(Lower(wanted.dn));
        if (found == current.end()) {
            EnsureContainer(ldap, wanted.dn.substr(wanted.dn.find(',') + 1), names, containers);
            AddPerson(ldap, wanted);
            ++changed;
            continue;
        }
        changed += UpdatePerson(ldap, wanted, found->second) ? 1 : 0;
        current.erase(found);
    }
    for (const auto& [key, gone] : current) {
        if (const int deleted = ldap_delete_ext_s(ldap, gone.dn.c_str(), nullptr, nullptr))
            Fail(ldap, "removing", gone.dn, deleted);
        ++changed;
    }
    return changed;
}

}  // namespace platform::emulated::samba
