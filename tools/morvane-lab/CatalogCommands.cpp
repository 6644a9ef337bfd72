#include <iostream>
#include <memory>

#include "platform/emulated/catalog/CatalogObjects.h"
#include "tools/morvane-lab/Commands.h"
#include "tools/morvane-lab/Output.h"

namespace lab {

namespace {

void RunCatalogList(Lab& lab, bool json) {
    auto applications = platform::emulated::ListCatalogApplications(lab.Server());
    if (json) {
        PrintJson(std::cout,
                  nlohmann::json::parse(platform::emulated::CatalogApplicationsJson(applications)));
        return;
    }
    if (applications.empty()) {
        std::cout << "The COM+ catalog holds no application\n";
        return;
    }
    std::cout << platform::emulated::CatalogApplicationsText(applications);
}

}  // namespace

void AddCatalogCommands(CLI::App& app, Lab& lab) {
    CLI::App* group = app.add_subcommand("catalog", "The emulated COM+ catalog");
    group->require_subcommand(1);
    auto json = std::make_shared<bool>(false);
    CLI::App* list = group->add_subcommand(
        "list", "List the applications with their properties, components and service");
    list->add_flag("--json", *json, "Print JSON");
    list->callback([&lab, json] { lab.Select([&lab, json] { RunCatalogList(lab, *json); }); });
}

}  // namespace lab
