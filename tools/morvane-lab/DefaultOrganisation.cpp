#include "tools/morvane-lab/DefaultOrganisation.h"

#include "platform/emulated/directory/DirectoryPeople.h"

namespace lab {

namespace {

constexpr const char* kSecondStorageGroup = "Second Storage Group";
constexpr const char* kExecutivesStore = "Executives Store";
constexpr const char* kArchiveStore = "Archive Store";
constexpr const char* kOtherServer = "EX2";
constexpr const char* kOtherServerStore = "EX2 Mailbox Store";

PersonPlan Person(std::string localPart, std::string cn, std::string alias,
                  std::string storageGroup, std::string store) {
    PersonPlan person;
    person.localPart = std::move(localPart);
    person.cn = std::move(cn);
    person.alias = std::move(alias);
    person.storageGroup = std::move(storageGroup);
    person.store = std::move(store);
    return person;
}

}  // namespace

std::vector<StorePlan> DefaultStores() {
    return {{kFirstStorageGroup, kFirstStore, ""},
            {kFirstStorageGroup, kExecutivesStore, ""},
            {kSecondStorageGroup, kArchiveStore, ""},
            {kFirstStorageGroup, kOtherServerStore, kOtherServer}};
}

std::vector<PersonPlan> DefaultPeople() {
    std::vector<PersonPlan> people{
        Person("anna.berger", "Anna Berger", "aberger", kFirstStorageGroup, kFirstStore),
        Person("ben.okafor", "Ben Okafor", "bokafor", kFirstStorageGroup, kFirstStore),
        Person("carla.mendes", "Carla Mendes", "cmendes", kFirstStorageGroup, kFirstStore),
        Person("david.kim", "David Kim", "dkim", kFirstStorageGroup, kFirstStore),
        Person("frank.mueller", "Frank Müller", "fmueller", kFirstStorageGroup, kFirstStore),
        Person("grace.whitfield", "Grace Whitfield", "gwhitfield", kFirstStorageGroup,
               kExecutivesStore),
        Person("henry.adeyemi", "Henry Adeyemi", "hadeyemi", kFirstStorageGroup, kExecutivesStore),
        Person("irene.novak", "Irene Novak", "inovak", kSecondStorageGroup, kArchiveStore),
        Person("jonas.weber", "Jonas Weber", "jweber", kSecondStorageGroup, kArchiveStore),
        Person("karl.svensson", "Karl Svensson", "ksvensson", "", ""),
        Person("lena.fischer", "Lena Fischer", "lfischer", kFirstStorageGroup, kOtherServerStore),
        Person("maria.rossi", "Maria Rossi", "mrossi", kSecondStorageGroup, kArchiveStore),
    };
    people[4].inboxName = "Posteingang";
    people[8].disabled = true;
    return people;
}

PopulationSummary PopulateOrganisation(platform::emulated::StoreModel& store, bool empty) {
    PopulationSummary summary;
    std::vector<StorePlan> stores =
        empty ? std::vector<StorePlan>{{kFirstStorageGroup, kFirstStore, ""}} : DefaultStores();
    for (const StorePlan& plan : stores) {
        store.AddStore(plan.storageGroup, plan.name, plan.server);
        if (plan.server.empty())
            ++summary.stores;
    }
    if (empty)
        return summary;
    platform::emulated::ServerIdentity identity = store.Identity().value();
    for (const PersonPlan& person : DefaultPeople()) {
        std::string address = person.localPart + "@" + identity.domain;
        // An account without a mailbox store, and a disabled account, are
        // people of the directory only.
        if (person.store.empty() || person.disabled) {
            summary.directoryOnly.push_back(person);
            continue;
        }
        platform::emulated::NewMailbox mailbox;
        mailbox.address = address;
        mailbox.storageGroup = person.storageGroup;
        mailbox.storeName = person.store;
        mailbox.cn = person.cn;
        mailbox.alias = person.alias;
        mailbox.inboxName = person.inboxName;
        if (store.AddMailbox(mailbox).server == identity.name)
            ++summary.mailboxes;
    }
    return summary;
}

void AddDirectoryOnlyPeople(platform::emulated::ServerDb& db, const std::string& server,
                            const std::vector<PersonPlan>& people) {
    platform::emulated::DirectoryPeople directory(db);
    const platform::emulated::DirectoryNames names = directory.Names();
    std::vector<platform::emulated::NewPerson> added;
    for (const PersonPlan& plan : people) {
        platform::emulated::NewPerson person;
        person.cn = plan.cn;
        person.mail = plan.localPart + "@" + names.domain;
        person.mailNickName = plan.alias;
        person.sAMAccountName = plan.alias;
        person.msExchHomeServerName = names.HomeServerName(server);
        if (!plan.store.empty())
            person.homeMDB = names.HomeMdb(server, plan.storageGroup, plan.store);
        person.msExchMailboxGuid = "{" + plan.cn + "}";
        person.useraccountcontrol = plan.disabled ? platform::emulated::kAccountDisabled
                                                  : platform::emulated::kAccountNormal;
        added.push_back(person);
    }
    if (!added.empty())
        directory.Add(added);
}

}  // namespace lab
