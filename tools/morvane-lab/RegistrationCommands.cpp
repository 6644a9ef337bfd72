#include <iostream>
#include <memory>

#include "platform/emulated/store/StoreValues.h"
#include "tools/morvane-lab/Commands.h"
#include "tools/morvane-lab/Output.h"

namespace lab {

namespace {

namespace property = platform::emulated::property;

// The registration's properties as the tool shows them, in this order.
struct Column {
    const char* key;
    std::string_view property;
};
constexpr Column kColumns[] = {{"eventmethod", property::kEventMethod},
                               {"sinkclass", property::kSinkClass},
                               {"matchscope", property::kMatchScope},
                               {"criteria", property::kCriteria},
                               {"priority", property::kPriority}};

void RunRegistrations(Lab& lab, bool json) {
    auto items = lab.Store().RegistrationItems();
    if (json) {
        nlohmann::json list = nlohmann::json::array();
        for (const auto& item : items) {
            nlohmann::json entry = {{"url", item.url}};
            for (const Column& column : kColumns)
                entry[column.key] = VariantJson(item.properties.Get(column.property));
            list.push_back(entry);
        }
        PrintJson(std::cout, list);
        return;
    }
    Table table({"URL", "EVENT", "SINK CLASS", "SCOPE", "CRITERIA", "PRIORITY"});
    for (const auto& item : items) {
        std::vector<std::string> row{item.url};
        for (const Column& column : kColumns)
            row.push_back(VariantText(item.properties.Get(column.property)));
        table.AddRow(row);
    }
    table.Print(std::cout);
}

}  // namespace

void AddRegistrationCommands(CLI::App& app, Lab& lab) {
    auto json = std::make_shared<bool>(false);
    CLI::App* registrations =
        app.add_subcommand("registrations", "List every event registration item of the server");
    registrations->add_flag("--json", *json, "Print JSON");
    registrations->callback(
        [&lab, json] { lab.Select([&lab, json] { RunRegistrations(lab, *json); }); });
}

}  // namespace lab
