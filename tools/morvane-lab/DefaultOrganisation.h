#pragma once

#include <string>
#include <vector>

#include "platform/emulated/store/StoreModel.h"

// The organisation "morvane-lab init" creates: one mail server with two
// storage groups, three mailbox stores with their system mailboxes and a
// dozen people, among them the special cases the setup program sorts out
// (a disabled account, an account without a store, a mailbox homed on
// another server, an Inbox with a localised name).
namespace lab {

struct StorePlan {
    std::string storageGroup;
    std::string name;
    // Empty: a store of the server being created.
    std::string server;
};

struct PersonPlan {
    std::string localPart;
    std::string cn;
    std::string alias;
    // Empty storage group and store: an account without a mailbox store.
    std::string storageGroup;
    std::string store;
    std::string inboxName = "Inbox";
    bool disabled = false;
};

// The one storage group and store of an empty server.
inline constexpr const char* kFirstStorageGroup = "First Storage Group";
inline constexpr const char* kFirstStore = "Mailbox Store";

std::vector<StorePlan> DefaultStores();
std::vector<PersonPlan> DefaultPeople();

struct PopulationSummary {
    // Stores and user mailboxes of the server being created.
    int stores = 0;
    int mailboxes = 0;
    // People the store does not hold, kept in the directory only: the
    // account without a mailbox store and the disabled account.
    std::vector<PersonPlan> directoryOnly;
};

// Creates the stores (each with its system mailbox) and, unless empty, the
// people's mailboxes on a server that already has its identity. The
// organisation's other server "EX2" has one store of its own, so that one
// person's mailbox is homed there.
PopulationSummary PopulateOrganisation(platform::emulated::StoreModel& store, bool empty);

// Adds the people of the summary that only the directory holds, homed on
// server; call it once the machine facts name the global catalog.
void AddDirectoryOnlyPeople(platform::emulated::ServerDb& db, const std::string& server,
                            const std::vector<PersonPlan>& people);

}  // namespace lab
