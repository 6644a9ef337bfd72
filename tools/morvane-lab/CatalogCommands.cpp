#include <iostream>
#include <memory>

#include "platform/Catalog.h"
#include "platform/ComError.h"
#include "platform/Text.h"
#include "platform/bridge/BridgeRoots.h"
#include "platform/emulated/catalog/CatalogObjects.h"
#include "platform/emulated/catalog/CatalogStore.h"
#include "platform/emulated/hosting/ApplicationProcess.h"
#include "tools/morvane-lab/Commands.h"
#include "tools/morvane-lab/Output.h"

namespace lab {

namespace {

struct InstallOptions {
    std::string application;
    std::string library;
    std::optional<int32_t> shutdownAfter;
};

struct SetOptions {
    std::string application;
    std::string property;
    std::string value;
};

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

// The position of the application of that name (any letter case) in the
// populated collection; a missing one is the tool's refusal.
int32_t PositionOf(platform::catalog::CatalogCollection& applications, const std::string& name) {
    for (int32_t position = 0; position < applications.Count(); ++position) {
        if (platform::text::EqualsNoCase(applications.Item(position)->Name().AppendToEmptyString(),
                                         name))
            return position;
    }
    throw LabError("the COM+ catalog has no application \"" + name + "\"");
}

// A new server application with the library's classes, as the setup
// program makes it.
void RunCatalogInstall(const InstallOptions& options) {
    auto catalog = platform::catalog::SystemCatalog().CreateCatalog();
    auto applications = catalog->GetCollection("Applications");
    applications->Populate();
    auto application = applications->Add();
    application->SetValue("Name", options.application);
    application->SetValue("ApplicationAccessChecksEnabled", false);
    application->SetValue("Identity", "NT AUTHORITY\\System");
    if (options.shutdownAfter)
        application->SetValue(platform::emulated::kShutdownAfter, *options.shutdownAfter);
    applications->SaveChanges();
    catalog->InstallComponent(options.application, options.library, "", "");
    std::cout << "Installed " << options.library << " into the COM+ application "
              << options.application << '\n';
}

// A value as the catalog takes it: a whole number, true or false, or text.
platform::Variant PropertyValue(const std::string& text) {
    if (text == "true" || text == "false")
        return platform::Variant(text == "true");
    try {
        size_t used = 0;
        const long number = std::stol(text, &used);
        if (used == text.size() && number >= INT32_MIN && number <= INT32_MAX)
            return platform::Variant(static_cast<int32_t>(number));
    } catch (const std::exception&) {
        // Not a number: text.
    }
    return platform::Variant(text);
}

void RunCatalogSet(const SetOptions& options) {
    auto catalog = platform::catalog::SystemCatalog().CreateCatalog();
    auto applications = catalog->GetCollection("Applications");
    applications->Populate();
    applications->Item(PositionOf(*applications, options.application))
        ->SetValue(options.property, PropertyValue(options.value));
    applications->SaveChanges();
    std::cout << "Set " << options.property << " of " << options.application << '\n';
}

void RunCatalogRemove(const std::string& application) {
    auto catalog = platform::catalog::SystemCatalog().CreateCatalog();
    auto applications = catalog->GetCollection("Applications");
    applications->Populate();
    applications->Remove(PositionOf(*applications, application));
    applications->SaveChanges();
    std::cout << "Removed the COM+ application " << application << '\n';
}

void RunCatalogShutdown(const std::string& application) {
    platform::catalog::SystemCatalog().CreateCatalog()->ShutdownApplication(application);
    std::cout << "Shut down the COM+ application " << application << '\n';
}

// The application processes that run, with what each has loaded.
void RunCatalogProcesses(Lab& lab, bool json) {
    namespace host_root = bridge::host_root;
    nlohmann::json list = nlohmann::json::array();
    Table table({"Application", "Process", "Libraries"});
    for (const auto& application : platform::emulated::ListCatalogApplications(lab.Server())) {
        const std::string name =
            platform::emulated::catalog_store::ApplicationName(application.properties);
        auto host =
            platform::emulated::RunningApplicationHostOfThisThread(lab.ServerFolder(), name);
        if (!host)
            continue;
        std::vector<bridge::Value> none;
        nlohmann::json libraries = nlohmann::json::array();
        std::string files;
        const bridge::Value loadedLibraries = host->Invoke(host_root::kLoadedLibraries, none);
        for (const platform::Variant& loaded : loadedLibraries.AsVariant().AsArray()) {
            const auto& fields = loaded.AsArray();
            libraries.push_back({{"file", fields[0].AsString()}, {"size", fields[1].AsInt32()}});
            files += (files.empty() ? "" : "; ") + fields[0].AsString();
        }
        list.push_back(
            {{"application", name}, {"process", host->Process()}, {"libraries", libraries}});
        table.AddRow({name, std::to_string(host->Process()), files});
    }
    if (json)
        PrintJson(std::cout, list);
    else if (list.empty())
        std::cout << "No COM+ application runs\n";
    else
        table.Print(std::cout);
}

void AddCatalogInstall(CLI::App& group, Lab& lab) {
    auto options = std::make_shared<InstallOptions>();
    CLI::App* install = group.add_subcommand(
        "install",
        "Make a COM+ server application with a library's classes, as the setup "
        "program does");
    install->add_option("APPLICATION", options->application, "The application's name")->required();
    install->add_option("LIBRARY", options->library, "The library file")->required();
    install->add_option("--shutdown-after", options->shutdownAfter,
                        "Minutes its process stays idle before it ends (0 to 1440; 3 unless "
                        "given)");
    install->callback([&lab, options] { lab.Select([options] { RunCatalogInstall(*options); }); });
}

void AddCatalogSet(CLI::App& group, Lab& lab) {
    auto options = std::make_shared<SetOptions>();
    CLI::App* set = group.add_subcommand("set", "Set a property of an application");
    set->add_option("APPLICATION", options->application, "The application's name")->required();
    set->add_option("PROPERTY", options->property, "The property, such as ShutdownAfter")
        ->required();
    set->add_option("VALUE", options->value, "A whole number, true, false or text")->required();
    set->callback([&lab, options] { lab.Select([options] { RunCatalogSet(*options); }); });
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
    AddCatalogInstall(*group, lab);
    AddCatalogSet(*group, lab);
    auto name = std::make_shared<std::string>();
    CLI::App* shutdown = group->add_subcommand(
        "shutdown", "End an application's process, as ShutdownApplication does");
    shutdown->add_option("APPLICATION", *name, "The application's name")->required();
    shutdown->callback([&lab, name] { lab.Select([name] { RunCatalogShutdown(*name); }); });
    CLI::App* remove = group->add_subcommand(
        "remove", "Remove an application with its classes and service; its process ends");
    remove->add_option("APPLICATION", *name, "The application's name")->required();
    remove->callback([&lab, name] { lab.Select([name] { RunCatalogRemove(*name); }); });
    auto processesJson = std::make_shared<bool>(false);
    CLI::App* processes = group->add_subcommand(
        "processes", "List the applications whose process runs, with the libraries it loaded");
    processes->add_flag("--json", *processesJson, "Print JSON");
    processes->callback([&lab, processesJson] {
        lab.Select([&lab, processesJson] { RunCatalogProcesses(lab, *processesJson); });
    });
}

}  // namespace lab
