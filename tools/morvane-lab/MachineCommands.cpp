#include <iostream>
#include <memory>
#include <stdexcept>
#include <vector>

#include "platform/emulated/machine/MachineFacts.h"
#include "tools/morvane-lab/Commands.h"
#include "tools/morvane-lab/Output.h"

namespace lab {

namespace {

using platform::emulated::MachineFacts;

void RunMachineShow(Lab& lab, bool json) {
    MachineFacts facts = platform::emulated::ReadMachineFacts(lab.Server());
    if (json)
        PrintJson(std::cout, nlohmann::json::parse(platform::emulated::MachineFactsJson(facts)));
    else
        std::cout << platform::emulated::MachineFactsText(facts);
}

// Sets every KEY=VALUE or, when one of them is refused, none of them.
void RunMachineSet(Lab& lab, const std::vector<std::string>& assignments) {
    auto& db = lab.Server();
    MachineFacts before = platform::emulated::ReadMachineFacts(db);
    try {
        for (const std::string& assignment : assignments) {
            size_t equals = assignment.find('=');
            if (equals == std::string::npos || equals == 0)
                throw std::invalid_argument("expected KEY=VALUE, not \"" + assignment + "\"");
            platform::emulated::SetMachineFact(db, assignment.substr(0, equals),
                                               assignment.substr(equals + 1));
        }
    } catch (const std::invalid_argument& refused) {
        platform::emulated::WriteMachineFacts(db, before);
        throw LabError(refused.what());
    }
    std::cout << platform::emulated::MachineFactsText(platform::emulated::ReadMachineFacts(db));
}

}  // namespace

void AddMachineCommands(CLI::App& app, Lab& lab) {
    CLI::App* group = app.add_subcommand("machine", "The emulated machine's facts");
    group->require_subcommand(1);

    auto json = std::make_shared<bool>(false);
    CLI::App* show = group->add_subcommand("show", "Show the machine facts");
    show->add_flag("--json", *json, "Print JSON");
    show->callback([&lab, json] { lab.Select([&lab, json] { RunMachineShow(lab, *json); }); });

    auto assignments = std::make_shared<std::vector<std::string>>();
    CLI::App* set = group->add_subcommand(
        "set",
        "Set facts: platform (1 or 2), major, minor, wow64, cluster (true/false), user, "
        "computer, domain, gc");
    set->add_option("KEY=VALUE", *assignments, "The facts to set")->required();
    set->callback([&lab, assignments] {
        lab.Select([&lab, assignments] { RunMachineSet(lab, *assignments); });
    });
}

}  // namespace lab
