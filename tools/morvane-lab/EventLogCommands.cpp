#include <iostream>
#include <memory>

#include "platform/emulated/machine/MachineEventLog.h"
#include "tools/morvane-lab/Commands.h"
#include "tools/morvane-lab/Output.h"

namespace lab {

namespace {

using platform::emulated::EventLogEntry;

nlohmann::json EntryJson(const EventLogEntry& entry) {
    return {
        {"recordNumber", entry.recordNumber}, {"time", entry.timeWritten},
        {"source", entry.report.source},      {"type", platform::EventTypeName(entry.report.type)},
        {"eventId", entry.report.eventId},    {"inserts", entry.report.inserts}};
}

std::string JoinedInserts(const EventLogEntry& entry) {
    std::string text;
    for (const std::string& insert : entry.report.inserts)
        text += (text.empty() ? "" : " | ") + insert;
    return text;
}

void RunEventLog(Lab& lab, bool json) {
    const std::vector<EventLogEntry> entries = platform::emulated::ReadEventLog(lab.Server());
    if (json) {
        nlohmann::json list = nlohmann::json::array();
        for (const EventLogEntry& entry : entries)
            list.push_back(EntryJson(entry));
        PrintJson(std::cout, list);
        return;
    }
    Table table({"TIME", "SOURCE", "TYPE", "EVENT ID", "INSERTS"});
    for (const EventLogEntry& entry : entries) {
        table.AddRow({entry.timeWritten, entry.report.source,
                      platform::EventTypeName(entry.report.type),
                      std::to_string(entry.report.eventId), JoinedInserts(entry)});
    }
    table.Print(std::cout);
}

}  // namespace

void AddEventLogCommands(CLI::App& app, Lab& lab) {
    auto json = std::make_shared<bool>(false);
    CLI::App* eventlog = app.add_subcommand(
        "eventlog",
        "List the machine's Application event log, oldest first: what sinks reported, each "
        "entry with its time, source, type, event ID and inserts");
    eventlog->add_flag("--json", *json, "Print JSON");
    eventlog->callback([&lab, json] { lab.Select([&lab, json] { RunEventLog(lab, *json); }); });
}

}  // namespace lab
