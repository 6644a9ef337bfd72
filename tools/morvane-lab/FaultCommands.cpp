#include <algorithm>
#include <iostream>
#include <memory>
#include <optional>

#include "platform/ComError.h"
#include "platform/emulated/db/FaultOperations.h"
#include "platform/emulated/db/Faults.h"
#include "tools/morvane-lab/Commands.h"
#include "tools/morvane-lab/Output.h"
#include "tools/morvane-lab/Parsing.h"

namespace lab {

namespace {

struct FaultAddOptions {
    std::string operation;
    std::optional<std::string> url;
    std::string hresult = "0x80004005";
    std::string description = "Unspecified error";
    std::optional<int64_t> count;
};

void RunFaultAdd(Lab& lab, const FaultAddOptions& options) {
    platform::emulated::PlantedFault fault;
    fault.operation = options.operation;
    fault.urlPattern = options.url;
    fault.number = ParseHresult(options.hresult);
    fault.description = options.description;
    if (options.count && *options.count < 1)
        throw LabError("--count must be 1 or more");
    fault.remaining = options.count;
    platform::emulated::Faults faults(lab.Server());
    int64_t id = faults.Plant(fault);
    std::cout << "Planted fault " << id << " at " << fault.operation << '\n';
}

nlohmann::json FaultJson(const platform::emulated::PlantedFault& fault) {
    return {{"id", fault.id},
            {"operation", fault.operation},
            {"url", fault.urlPattern ? nlohmann::json(*fault.urlPattern) : nullptr},
            {"hresult", fault.number},
            {"description", fault.description},
            {"remaining", fault.remaining ? nlohmann::json(*fault.remaining) : nullptr}};
}

void RunFaultList(Lab& lab, bool json) {
    auto faults = platform::emulated::Faults(lab.Server()).List();
    if (json) {
        nlohmann::json list = nlohmann::json::array();
        for (const auto& fault : faults)
            list.push_back(FaultJson(fault));
        PrintJson(std::cout, list);
        return;
    }
    Table table({"ID", "OPERATION", "URL", "HRESULT", "DESCRIPTION", "REMAINING"});
    for (const auto& fault : faults) {
        table.AddRow({std::to_string(fault.id), fault.operation, fault.urlPattern.value_or("*"),
                      std::to_string(fault.number), fault.description,
                      fault.remaining ? std::to_string(*fault.remaining) : "always"});
    }
    table.Print(std::cout);
}

// The operations a fault can be planted at, one a line, as the server
// defines them.
std::string OperationsHelp() {
    std::string help = "Operations:\n";
    for (const auto& operation : platform::emulated::kFaultOperations) {
        std::string name(operation.name);
        name.resize(std::max<size_t>(name.size(), 26), ' ');
        help +=
            "  " + name + std::string(operation.part) + ": " + std::string(operation.what) + "\n";
    }
    return help;
}

void RunFaultClear(Lab& lab) {
    platform::emulated::Faults(lab.Server()).Clear();
    std::cout << "Cleared every planted fault\n";
}

}  // namespace

void AddFaultCommands(CLI::App& app, Lab& lab) {
    CLI::App* group = app.add_subcommand("fault", "Planted failures of the emulated server");
    group->require_subcommand(1);

    auto options = std::make_shared<FaultAddOptions>();
    CLI::App* add = group->add_subcommand("add", "Make an operation fail");
    add->add_option("OP", options->operation, "The operation (listed below)")->required();
    add->footer(OperationsHelp());
    add->add_option("--url", options->url, "Only for URLs matching this pattern (* and ?)");
    add->add_option("--hresult", options->hresult, "The error number, decimal or 0x...")
        ->capture_default_str();
    add->add_option("--description", options->description, "The error's text")
        ->capture_default_str();
    add->add_option("--count", options->count, "Fail this many times only (default: always)");
    add->callback([&lab, options] { lab.Select([&lab, options] { RunFaultAdd(lab, *options); }); });

    auto json = std::make_shared<bool>(false);
    CLI::App* list = group->add_subcommand("list", "List the planted faults");
    list->add_flag("--json", *json, "Print JSON");
    list->callback([&lab, json] { lab.Select([&lab, json] { RunFaultList(lab, *json); }); });

    CLI::App* clear = group->add_subcommand("clear", "Remove every planted fault");
    clear->callback([&lab] { lab.Select([&lab] { RunFaultClear(lab); }); });
}

}  // namespace lab
