#include <iostream>
#include <memory>

#include "platform/Activation.h"
#include "platform/emulated/directory/SambaDomain.h"
#include "platform/emulated/machine/MachineFacts.h"
#include "platform/emulated/store/StoreModel.h"
#include "tools/morvane-lab/Commands.h"
#include "tools/morvane-lab/DefaultOrganisation.h"
#include "tools/morvane-lab/DirectoryLifecycle.h"
#include "tools/morvane-lab/Parsing.h"
#include "tools/morvane-lab/ServerCreation.h"

namespace lab {

namespace {

struct InitOptions {
    std::string server = "EX1";
    std::string domain = "morvane.test";
    std::string directory = "sqlite";
    bool empty = false;
    bool force = false;
};

void RunInit(Lab& lab, const InitOptions& options) {
    CheckServerName(options.server);
    CheckDomainName(options.domain);
    PopulationSummary summary;
    // A server replaced leaves no domain controller running on its folder.
    if (options.force)
        platform::emulated::samba::StopDomain(lab.ServerFolder());
    CreateServerFolder(lab.ServerFolder(), options.force, [&](auto db) {
        platform::emulated::StoreModel store(db, platform::SystemActivation());
        store.SetIdentity({options.server, options.domain});
        summary = PopulateOrganisation(store, options.empty);
        // The machine is the mail server: its name, its domain, a global
        // catalog there, Windows Server 2003, the account running the tool.
        platform::emulated::MatchMachineToServer(*db, options.server, options.domain);
        AddDirectoryOnlyPeople(*db, options.server, summary.directoryOnly);
        if (options.directory == "samba")
            MakeSambaDirectory(*db);
    });
    std::cout << "Created server " << options.server << " (" << options.domain << ") with "
              << summary.stores << " mailbox store(s) and " << summary.mailboxes
              << " user mailbox(es) in " << lab.ServerFolder() << '\n';
}

}  // namespace

void AddInitCommand(CLI::App& app, Lab& lab) {
    auto options = std::make_shared<InitOptions>();
    CLI::App* init = app.add_subcommand(
        "init", "Create the server with the default organisation (or an empty one)");
    init->add_option("--server", options->server, "The mail server's name")->capture_default_str();
    init->add_option("--domain", options->domain, "The DNS domain")->capture_default_str();
    init->add_flag("--empty", options->empty,
                   "Only the server, \"First Storage Group\", \"Mailbox Store\" and its "
                   "system mailbox");
    init->add_flag("--force", options->force, "Replace an existing server");
    init->add_option("--directory", options->directory,
                     "sqlite: people kept in the server's database; samba: an Active Directory "
                     "domain controller of Samba's in the server's folder, started with "
                     "\"directory start\" or \"directory run\"")
        ->check(CLI::IsMember({"sqlite", "samba"}))
        ->capture_default_str();
    init->callback([&lab, options] { lab.Select([&lab, options] { RunInit(lab, *options); }); });
}

}  // namespace lab
