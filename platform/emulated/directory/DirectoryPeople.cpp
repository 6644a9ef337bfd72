#include "platform/emulated/directory/DirectoryPeople.h"

#include <map>

#include "platform/Text.h"
#include "platform/emulated/machine/MachineFacts.h"
#include "platform/emulated/store/StoreData.h"

namespace platform::emulated {

namespace {

// The columns of directory_people, in the order of NewPerson after cn.
constexpr const char* kTextColumns[] = {"mail",           "mailNickName",
                                        "sAMAccountName", "msExchHomeServerName",
                                        "homeMDB",        "msExchMailboxGuid"};
constexpr const char* kUsersContainer = "CN=Users";
constexpr const char* kSystemContainer = "CN=Microsoft Exchange System Objects";

std::vector<std::string> SplitLabels(std::string_view domain) {
    std::vector<std::string> labels;
    size_t start = 0;
    while (start <= domain.size()) {
        size_t dot = domain.find('.', start);
        if (dot == std::string_view::npos)
            dot = domain.size();
        if (dot > start)
            labels.emplace_back(domain.substr(start, dot - start));
        start = dot + 1;
    }
    return labels;
}

void SetOptional(Person& person, std::string_view name, const Statement& row, int column) {
    if (!row.IsNull(column))
        person.Set(name, Variant(row.Text(column)));
}

}  // namespace

void Person::Set(std::string_view name, Variant value) {
    for (auto& [existing, stored] : attributes_) {
        if (text::EqualsNoCase(existing, name)) {
            stored = std::move(value);
            return;
        }
    }
    attributes_.emplace_back(std::string(name), std::move(value));
}

const Variant* Person::Find(std::string_view name) const {
    for (const auto& [existing, stored] : attributes_) {
        if (text::EqualsNoCase(existing, name))
            return &stored;
    }
    return nullptr;
}

std::string DirectoryNames::DomainDn() const {
    std::string dn;
    for (const std::string& label : SplitLabels(domain))
        dn += (dn.empty() ? "DC=" : ",DC=") + label;
    return dn;
}

std::string DirectoryNames::Organisation() const {
    std::vector<std::string> labels = SplitLabels(domain);
    return labels.empty() ? "Organisation" : labels.front();
}

std::string DirectoryNames::HomeServerName(std::string_view server) const {
    return "/o=" + Organisation() +
           "/ou=First Administrative Group/cn=Configuration/cn=Servers/cn=" + std::string(server);
}

std::string DirectoryNames::HomeMdb(std::string_view server, std::string_view storageGroup,
                                    std::string_view store) const {
    return "CN=" + std::string(store) + ",CN=" + std::string(storageGroup) +
           ",CN=InformationStore,CN=" + std::string(server) +
           ",CN=Servers,CN=First Administrative Group,CN=Administrative Groups,CN=" +
           Organisation() + ",CN=Microsoft Exchange,CN=Services,CN=Configuration," + DomainDn();
}

std::string DirectoryNames::PersonCategory() const {
    return "CN=Person,CN=Schema,CN=Configuration," + DomainDn();
}

std::string DirectoryNames::AdsPath(std::string_view cn, std::string_view container) const {
    return "GC://" + globalCatalogHost + "/CN=" + std::string(cn) + "," + std::string(container) +
           "," + DomainDn();
}

DirectoryNames DirectoryPeople::Names() {
    DirectoryNames names;
    if (auto identity = StoreData(db_).Identity())
        names.domain = identity->domain;
    names.globalCatalogHost = ReadMachineFacts(db_).gc;
    if (names.globalCatalogHost.empty())
        names.globalCatalogHost = "dc1." + text::ToLower(names.domain);
    return names;
}

std::vector<int64_t> DirectoryPeople::Add(const std::vector<NewPerson>& people) {
    DbTransaction transaction(db_);
    auto insert = db_.Prepare(
        "INSERT INTO directory_people(cn, mail, mail_nick_name, sam_account_name, "
        "home_server, home_mdb, mailbox_guid, account_control, adspath) "
        "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)");
    std::vector<int64_t> ids;
    for (const NewPerson& person : people) {
        if (person.cn.empty())
            throw ServerError("a person needs a cn");
        insert.Reset();
        insert.Bind(1, std::string_view(person.cn)).Bind(2, person.mail);
        insert.Bind(3, person.mailNickName).Bind(4, person.sAMAccountName);
        insert.Bind(5, person.msExchHomeServerName).Bind(6, person.homeMDB);
        insert.Bind(7, person.msExchMailboxGuid).Bind(9, person.adspath);
        if (person.useraccountcontrol)
            insert.Bind(8, int64_t{*person.useraccountcontrol});
        else
            insert.BindNull(8);
        insert.Run();
        ids.push_back(db_.LastInsertId());
    }
    transaction.Commit();
    return ids;
}

bool DirectoryPeople::Remove(int64_t id) {
    db_.Prepare("DELETE FROM directory_people WHERE id = ?1").Bind(1, id).Run();
    return db_.Changes() > 0;
}

std::vector<Person> DirectoryPeople::All() {
    const DirectoryNames names = Names();
    std::vector<Person> people;
    AppendStorePeople(names, people);
    AppendAddedPeople(people);
    const Variant category(names.PersonCategory());
    for (Person& person : people) {
        person.Set("objectCategory", category);
        if (person.Find("adspath") == nullptr) {
            person.Set("adspath",
                       Variant(names.AdsPath(person.Find("cn")->AsString(), kUsersContainer)));
        }
    }
    return people;
}

// A mailbox of the store as the directory shows it. The names of a
// mailbox store's server and of the store are made once per store, not once
// per mailbox: a large server has thousands of mailboxes in one store.
void DirectoryPeople::AppendStorePeople(const DirectoryNames& names, std::vector<Person>& people) {
    struct StoreNames {
        Variant homeServer;
        Variant homeMdb;
    };
    std::map<int64_t, StoreNames> storeNames;
    for (const MailboxRow& mailbox : StoreData(db_).Mailboxes()) {
        auto [found, added] = storeNames.try_emplace(mailbox.storeId);
        if (added) {
            found->second = StoreNames{
                Variant(names.HomeServerName(mailbox.server)),
                Variant(names.HomeMdb(mailbox.server, mailbox.storageGroup, mailbox.storeName))};
        }
        Person person;
        person.Set("cn", Variant(mailbox.cn));
        person.Set("mail", Variant(mailbox.address));
        person.Set("mailNickName", Variant(mailbox.alias));
        person.Set("sAMAccountName", Variant(mailbox.alias));
        person.Set("msExchHomeServerName", found->second.homeServer);
        person.Set("homeMDB", found->second.homeMdb);
        person.Set("msExchMailboxGuid", Variant(mailbox.guid));
        // A store's system mailbox belongs to a disabled account.
        person.Set("useraccountcontrol",
                   Variant(mailbox.system ? kAccountDisabled : kAccountNormal));
        person.Set("adspath", Variant(names.AdsPath(mailbox.cn, mailbox.system ? kSystemContainer
                                                                               : kUsersContainer)));
        people.push_back(std::move(person));
    }
}

void DirectoryPeople::AppendAddedPeople(std::vector<Person>& people) {
    auto query = db_.Prepare(
        "SELECT cn, mail, mail_nick_name, sam_account_name, home_server, home_mdb, "
        "mailbox_guid, account_control, adspath FROM directory_people ORDER BY id");
    while (query.Step()) {
        Person person;
        person.Set("cn", Variant(query.Text(0)));
        for (int column = 1; column <= 6; ++column)
            SetOptional(person, kTextColumns[column - 1], query, column);
        if (!query.IsNull(7))
            person.Set("useraccountcontrol", Variant(static_cast<int32_t>(query.Int(7))));
        SetOptional(person, "adspath", query, 8);
        people.push_back(std::move(person));
    }
}

std::string DescribePerson(const Person& person) {
    std::string line;
    for (const char* name : {"cn", "mail", "mailNickName", "sAMAccountName", "msExchHomeServerName",
                             "homeMDB", "msExchMailboxGuid", "useraccountcontrol"}) {
        const Variant* value = person.Find(name);
        if (value == nullptr)
            continue;
        line += (line.empty() ? "" : "; ") + std::string(name) + "=" + value->AppendToEmptyString();
    }
    return line;
}

}  // namespace platform::emulated
