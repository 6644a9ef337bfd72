#include <iostream>
#include <memory>
#include <optional>

#include "platform/emulated/directory/DirectoryPeople.h"
#include "platform/emulated/directory/DirectoryService.h"
#include "platform/emulated/store/StoreData.h"
#include "tools/morvane-lab/Commands.h"
#include "tools/morvane-lab/DirectoryLifecycle.h"
#include "tools/morvane-lab/Output.h"

// "directory add" and "directory list": people of the emulated directory
// besides the store's mailboxes, odd ones included (no store, another
// server, a disabled account, a home server value without "CN=").
namespace lab {

namespace {

using platform::emulated::DirectoryPeople;
using platform::emulated::NewPerson;

struct DirectoryAddOptions {
    NewPerson person;
    std::optional<std::string> server;  // home server and store on this server
    std::optional<std::string> store;   // "storage group/store"
    bool noMailbox = false;
    bool disabled = false;
};

// The home server and homeMDB that --server and --store stand for.
void ApplyServerAndStore(Lab& lab, DirectoryAddOptions& options) {
    DirectoryPeople people(lab.Server());
    const auto names = people.Names();
    std::string server = options.server.value_or("");
    if (server.empty()) {
        if (auto identity = platform::emulated::StoreData(lab.Server()).Identity())
            server = identity->name;
    }
    if (options.server && !options.person.msExchHomeServerName)
        options.person.msExchHomeServerName = names.HomeServerName(server);
    if (options.store && !options.person.homeMDB) {
        const size_t slash = options.store->find('/');
        if (slash == std::string::npos || server.empty())
            throw LabError("--store needs \"storage group/store\" and a server");
        options.person.homeMDB = names.HomeMdb(server, options.store->substr(0, slash),
                                               options.store->substr(slash + 1));
    }
}

void RunDirectoryAdd(Lab& lab, DirectoryAddOptions options) {
    ApplyServerAndStore(lab, options);
    NewPerson& person = options.person;
    if (!options.noMailbox && !person.msExchMailboxGuid)
        person.msExchMailboxGuid = "{" + person.cn + "}";
    if (options.disabled)
        person.useraccountcontrol = platform::emulated::kAccountDisabled;
    if (!person.mailNickName && person.mail)
        person.mailNickName = person.mail->substr(0, person.mail->find('@'));
    const int64_t id = DirectoryPeople(lab.Server()).Add(person);
    SyncDirectoryIfRunning(lab);
    std::cout << "Added person " << id << ": " << person.cn << '\n';
}

std::optional<std::string> Text(const platform::emulated::Person& person, const char* name) {
    const platform::Variant* value = person.Find(name);
    if (value == nullptr)
        return std::nullopt;
    return value->AppendToEmptyString();
}

void RunDirectoryList(Lab& lab, bool json) {
    auto people = DirectoryPeople(lab.Server()).All();
    const char* columns[] = {"cn",
                             "mail",
                             "mailNickName",
                             "msExchHomeServerName",
                             "homeMDB",
                             "useraccountcontrol",
                             "msExchMailboxGuid"};
    if (json) {
        nlohmann::json list = nlohmann::json::array();
        for (const auto& person : people) {
            nlohmann::json entry = nlohmann::json::object();
            for (const auto& [name, value] : person.Attributes())
                entry[name] = VariantJson(value);
            list.push_back(entry);
        }
        PrintJson(std::cout, list);
        return;
    }
    Table table({"CN", "MAIL", "ALIAS", "HOME SERVER", "HOMEMDB", "UAC", "MAILBOX"});
    for (const auto& person : people) {
        std::vector<std::string> cells;
        for (const char* column : columns)
            cells.push_back(Text(person, column).value_or("-"));
        cells.back() = Text(person, "msExchMailboxGuid") ? "yes" : "no";
        table.AddRow(std::move(cells));
    }
    table.Print(std::cout);
}

void AddDirectoryAdd(CLI::App& group, Lab& lab) {
    auto options = std::make_shared<DirectoryAddOptions>();
    CLI::App* add = group.add_subcommand("add", "Add a person to the directory");
    NewPerson& person = options->person;
    add->add_option("CN", person.cn, "The person's cn")->required();
    add->add_option("--mail", person.mail, "SMTP address");
    add->add_option("--alias", person.mailNickName,
                    "mailNickName (default: the address's local part)");
    add->add_option("--account", person.sAMAccountName, "sAMAccountName");
    add->add_option("--server", options->server, "Homed on this server (legacy DN is built)");
    add->add_option("--store", options->store, "\"storage group/store\" on --server (homeMDB)");
    add->add_option("--home-server", person.msExchHomeServerName, "msExchHomeServerName as given");
    add->add_option("--home-mdb", person.homeMDB, "homeMDB as given");
    add->add_option("--uac", person.useraccountcontrol, "useraccountcontrol");
    add->add_flag("--disabled", options->disabled, "useraccountcontrol 66050");
    add->add_flag("--no-mailbox", options->noMailbox, "No msExchMailboxGuid: not mailbox-enabled");
    add->callback(
        [&lab, options] { lab.Select([&lab, options] { RunDirectoryAdd(lab, *options); }); });
}

// The bind the provider makes: a wrong password is a bind the directory
// refuses.
void RunBindPassword(Lab& lab, const std::string& password) {
    auto service = platform::emulated::ReadDirectoryService(lab.Server());
    service.password = password;
    platform::emulated::WriteDirectoryService(lab.Server(), service);
    std::cout << "The provider binds with the password given from now on\n";
}

void AddServiceCommands(CLI::App& group, Lab& lab) {
    group
        .add_subcommand("start", "Start the directory; Samba's is filled with the server's people")
        ->callback([&lab] {
            lab.Select([&lab] {
                StartDirectory(lab);
                std::cout << "Directory: " << DirectoryStatus(lab) << '\n';
            });
        });
    group.add_subcommand("stop", "Stop the directory")->callback([&lab] {
        lab.Select([&lab] {
            std::cout << (StopDirectory(lab) ? "Directory stopped"
                                             : "The directory was not running")
                      << '\n';
        });
    });
    group.add_subcommand("status", "Which directory the server has, and whether it runs")
        ->callback([&lab] {
            lab.Select([&lab] { std::cout << "Directory: " << DirectoryStatus(lab) << '\n'; });
        });
    auto kind = std::make_shared<std::string>();
    CLI::App* use = group.add_subcommand(
        "use", "Give this server another directory: sqlite, or samba (a new domain in its folder)");
    use->add_option("KIND", *kind)->required()->check(CLI::IsMember({"sqlite", "samba"}));
    use->callback([&lab, kind] {
        lab.Select([&lab, kind] {
            UseDirectory(lab, *kind);
            std::cout << "Directory: " << DirectoryStatus(lab) << '\n';
        });
    });
    auto password = std::make_shared<std::string>();
    CLI::App* bind = group.add_subcommand(
        "bind-password", "Set the password the provider binds with (Samba refuses a wrong one)");
    bind->add_option("PASSWORD", *password)->required();
    bind->callback(
        [&lab, password] { lab.Select([&lab, password] { RunBindPassword(lab, *password); }); });
    CLI::App* run = group.add_subcommand(
        "run",
        "Start the directory, run COMMAND [ARGS...], stop the directory; exits with the "
        "command's status");
    auto command = std::make_shared<std::vector<std::string>>();
    run->add_option("COMMAND", *command, "The command and its arguments")->required();
    run->prefix_command();
    run->callback([&lab, command, run] {
        *command = run->remaining();
        lab.Select([&lab, command] { lab.SetExitStatus(RunWithDirectory(lab, *command)); });
    });
}

}  // namespace

void AddDirectoryCommands(CLI::App& app, Lab& lab) {
    CLI::App* group =
        app.add_subcommand("directory", "People of the directory, and the directory itself");
    group->require_subcommand(1);
    AddDirectoryAdd(*group, lab);
    AddServiceCommands(*group, lab);
    auto json = std::make_shared<bool>(false);
    CLI::App* list = group->add_subcommand("list", "List every person, store mailboxes included");
    list->add_flag("--json", *json, "Print JSON");
    list->callback([&lab, json] { lab.Select([&lab, json] { RunDirectoryList(lab, *json); }); });
}

}  // namespace lab
