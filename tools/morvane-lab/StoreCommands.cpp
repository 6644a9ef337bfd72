#include <iostream>
#include <memory>

#include "tools/morvane-lab/Commands.h"
#include "tools/morvane-lab/DefaultOrganisation.h"
#include "tools/morvane-lab/Output.h"

namespace lab {

namespace {

struct StoreAddOptions {
    std::string store;
    std::string storageGroup = kFirstStorageGroup;
};

void RunStoreAdd(Lab& lab, const StoreAddOptions& options) {
    if (options.store.empty() || options.storageGroup.empty())
        throw LabError("a mailbox store needs a name and a storage group");
    auto added = lab.Store().AddStore(options.storageGroup, options.store);
    std::cout << "Added mailbox store " << added.storageGroup << "/" << added.name
              << " with system mailbox " << added.systemMailbox << '\n';
}

void RunStoreList(Lab& lab, bool json) {
    auto stores = lab.Store().Stores();
    if (json) {
        nlohmann::json list = nlohmann::json::array();
        for (const auto& store : stores) {
            list.push_back({{"name", store.name},
                            {"storagegroup", store.storageGroup},
                            {"server", store.server},
                            {"systemmailbox", store.systemMailbox}});
        }
        PrintJson(std::cout, list);
        return;
    }
    Table table({"STORAGE GROUP", "STORE", "SERVER", "SYSTEM MAILBOX"});
    for (const auto& store : stores)
        table.AddRow({store.storageGroup, store.name, store.server, store.systemMailbox});
    table.Print(std::cout);
}

}  // namespace

void AddStoreCommands(CLI::App& app, Lab& lab) {
    CLI::App* group = app.add_subcommand("store", "Mailbox stores");
    group->require_subcommand(1);

    auto addOptions = std::make_shared<StoreAddOptions>();
    CLI::App* add = group->add_subcommand("add", "Add a mailbox store with its system mailbox");
    add->add_option("STORE", addOptions->store, "The store's name")->required();
    add->add_option("--storage-group", addOptions->storageGroup, "Its storage group")
        ->capture_default_str();
    add->callback(
        [&lab, addOptions] { lab.Select([&lab, addOptions] { RunStoreAdd(lab, *addOptions); }); });

    auto json = std::make_shared<bool>(false);
    CLI::App* list = group->add_subcommand("list", "List the mailbox stores");
    list->add_flag("--json", *json, "Print JSON");
    list->callback([&lab, json] { lab.Select([&lab, json] { RunStoreList(lab, *json); }); });
}

}  // namespace lab
