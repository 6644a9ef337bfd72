#include "tools/morvane-lab/DefaultOrganisation.h"

namespace lab {

namespace {

constexpr const char* kSecondStorageGroup = "Second Storage Group";
constexpr const char* kExecutivesStore = "Executives Store";
constexpr const char* kArchiveStore = "Archive Store";

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

bool InStore(const PersonPlan& person) {
    return !person.store.empty() && person.homeServer.empty();
}

}  // namespace

std::vector<StorePlan> DefaultStores() {
    return {{kFirstStorageGroup, kFirstStore},
            {kFirstStorageGroup, kExecutivesStore},
            {kSecondStorageGroup, kArchiveStore}};
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
        Person("lena.fischer", "Lena Fischer", "lfischer", kFirstStorageGroup, kFirstStore),
        Person("maria.rossi", "Maria Rossi", "mrossi", kSecondStorageGroup, kArchiveStore),
    };
    people[4].inboxName = "Posteingang";
    people[8].disabled = true;
    people[10].homeServer = "EX2";
    return people;
}

PopulationSummary PopulateOrganisation(platform::emulated::StoreModel& store, bool empty) {
    PopulationSummary summary;
    std::vector<StorePlan> stores =
        empty ? std::vector<StorePlan>{{kFirstStorageGroup, kFirstStore}} : DefaultStores();
    for (const StorePlan& plan : stores) {
        store.AddStore(plan.storageGroup, plan.name);
        ++summary.stores;
    }
    if (empty)
        return summary;
    std::string domain = store.Identity().value().domain;
    for (const PersonPlan& person : DefaultPeople()) {
        std::string address = person.localPart + "@" + domain;
        // The store keeps mailboxes of this server only; the directory
        // knows the others.
        if (!InStore(person)) {
            summary.notInStore.push_back(address);
            continue;
        }
        platform::emulated::NewMailbox mailbox;
        mailbox.address = address;
        mailbox.storageGroup = person.storageGroup;
        mailbox.storeName = person.store;
        mailbox.cn = person.cn;
        mailbox.alias = person.alias;
        mailbox.inboxName = person.inboxName;
        store.AddMailbox(mailbox);
        ++summary.mailboxes;
    }
    return summary;
}

}  // namespace lab
