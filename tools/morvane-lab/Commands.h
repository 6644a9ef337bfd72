#pragma once

#include <CLI/CLI.hpp>

#include "tools/morvane-lab/Lab.h"

// The command groups of morvane-lab, one file each. Each adds its
// subcommands to the application; a subcommand's callback selects its
// action on the Lab, which main runs after the whole command line parsed.
namespace lab {

void AddInitCommand(CLI::App& app, Lab& lab);
void AddStoreCommands(CLI::App& app, Lab& lab);
void AddMailboxCommands(CLI::App& app, Lab& lab);
void AddFolderCommands(CLI::App& app, Lab& lab);
void AddMessageCommands(CLI::App& app, Lab& lab);
void AddRegistrationCommands(CLI::App& app, Lab& lab);
void AddComCommands(CLI::App& app, Lab& lab);
void AddFaultCommands(CLI::App& app, Lab& lab);
void AddMachineCommands(CLI::App& app, Lab& lab);
void AddEventLogCommands(CLI::App& app, Lab& lab);
void AddCatalogCommands(CLI::App& app, Lab& lab);
void AddDirectoryCommands(CLI::App& app, Lab& lab);
void AddWineCommand(CLI::App& app, Lab& lab);

// Every group, in the order --help lists them.
inline void AddAllCommands(CLI::App& app, Lab& lab) {
    AddInitCommand(app, lab);
    AddStoreCommands(app, lab);
    AddMailboxCommands(app, lab);
    AddFolderCommands(app, lab);
    AddMessageCommands(app, lab);
    AddRegistrationCommands(app, lab);
    AddComCommands(app, lab);
    AddFaultCommands(app, lab);
    AddMachineCommands(app, lab);
    AddEventLogCommands(app, lab);
    AddCatalogCommands(app, lab);
    AddDirectoryCommands(app, lab);
    AddWineCommand(app, lab);
}

}  // namespace lab
