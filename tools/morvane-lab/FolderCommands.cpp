#include <iostream>
#include <memory>

#include "tools/morvane-lab/Commands.h"

namespace lab {

namespace {

struct FolderAddOptions {
    std::string address;
    std::string path;
};

void RunFolderAdd(Lab& lab, const FolderAddOptions& options) {
    auto folder = lab.Store().AddFolder(options.address, options.path);
    std::cout << "Added folder " << folder.url << '\n';
}

}  // namespace

void AddFolderCommands(CLI::App& app, Lab& lab) {
    CLI::App* group = app.add_subcommand("folder", "Folders of a mailbox");
    group->require_subcommand(1);

    auto options = std::make_shared<FolderAddOptions>();
    CLI::App* add = group->add_subcommand(
        "add",
        "Add a folder (and those above it) as the store does, running the synchronous "
        "events of each new folder's parent");
    add->add_option("ADDRESS", options->address, "The mailbox")->required();
    add->add_option("PATH", options->path, "Folder path below the mailbox root")->required();
    add->callback(
        [&lab, options] { lab.Select([&lab, options] { RunFolderAdd(lab, *options); }); });
}

}  // namespace lab
