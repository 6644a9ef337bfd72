#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Variant.h"
#include "platform/emulated/db/ServerDb.h"

// The person objects of the emulated directory. Every mailbox of the
// emulated store is a person whose attributes agree with the store (home
// server, homeMDB, address, alias, mailbox GUID); each store's system
// mailbox is one of them. Further people, with or without a mailbox and
// with any odd values, are added here; their attributes live in the
// directory's own tables. This is also the API behind
// "morvane-lab directory add/list".
namespace platform::emulated {

// One directory object: attribute names compare without regard to case;
// an attribute the object does not have is absent, not empty.
class Person {
  public:
    void Set(std::string_view name, Variant value);
    // The value, or nullptr when the object lacks the attribute.
    const Variant* Find(std::string_view name) const;
    const std::vector<std::pair<std::string, Variant>>& Attributes() const { return attributes_; }

  private:
    std::vector<std::pair<std::string, Variant>> attributes_;
};

// A person added through the directory; every attribute but cn may be
// absent. The object category is always person; adspath is derived from cn
// when not given.
struct NewPerson {
    std::string cn;
    std::optional<std::string> mail;
    std::optional<std::string> mailNickName;
    std::optional<std::string> sAMAccountName;
    std::optional<std::string> msExchHomeServerName;
    std::optional<std::string> homeMDB;
    std::optional<std::string> msExchMailboxGuid;
    std::optional<int32_t> useraccountcontrol;
    std::optional<std::string> adspath;
};

// Account control values the directory writes.
constexpr int32_t kAccountNormal = 66048;    // 0x10200
constexpr int32_t kAccountDisabled = 66050;  // 0x10202

// The names the directory gives a server's objects, for the domain's DNS
// name ("corp.example.com") and a server name.
struct DirectoryNames {
    std::string domain;
    std::string globalCatalogHost;

    // "DC=corp,DC=example,DC=com"
    std::string DomainDn() const;
    // The Exchange organisation: the domain's first label.
    std::string Organisation() const;
    // "/o=<org>/ou=First Administrative Group/cn=Configuration/cn=Servers/cn=<server>"
    std::string HomeServerName(std::string_view server) const;
    // "CN=<store>,CN=<storage group>,CN=InformationStore,CN=<server>,CN=Servers,..."
    std::string HomeMdb(std::string_view server, std::string_view storageGroup,
                        std::string_view store) const;
    std::string PersonCategory() const;
    // "GC://<host>/CN=<cn>,<container>,<domain DN>"
    std::string AdsPath(std::string_view cn, std::string_view container) const;
};

class DirectoryPeople {
  public:
    explicit DirectoryPeople(ServerDb& db) : db_(db) {}

    // Adds people in one transaction; a person without cn throws
    // ServerError and adds nobody. Returns the ids of the new people.
    std::vector<int64_t> Add(const std::vector<NewPerson>& people);
    int64_t Add(const NewPerson& person) { return Add(std::vector<NewPerson>{person}).front(); }
    // Removes a person added here; false when there was none.
    bool Remove(int64_t id);
    // Every person: the store's mailboxes first, then the added people in
    // the order they were added.
    std::vector<Person> All();
    // The names of this server (domain from the store, host from the
    // machine facts).
    DirectoryNames Names();

  private:
    void AppendStorePeople(const DirectoryNames& names, std::vector<Person>& people);
    void AppendAddedPeople(std::vector<Person>& people);

    ServerDb& db_;
};

// A person as one line: "cn=...; mail=...; ..." with absent attributes
// left out, in the order of NewPerson.
std::string DescribePerson(const Person& person);

}  // namespace platform::emulated
