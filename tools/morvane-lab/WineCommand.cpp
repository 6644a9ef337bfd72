#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/emulated/hosting/WindowsProgram.h"
#include "tools/morvane-lab/Commands.h"

namespace lab {

namespace {

struct WineOptions {
    std::string program;
    std::vector<std::string> arguments;  // in their order, options included
};

void RunWine(Lab& lab, const WineOptions& options) {
    lab.Server();  // the server must exist: the program runs against it
    if (!std::filesystem::is_regular_file(options.program))
        throw LabError("wine: no such program: " + options.program);
    lab.SetExitStatus(platform::emulated::RunWindowsProgram(options.program, options.arguments));
}

}  // namespace

void AddWineCommand(CLI::App& app, Lab& lab) {
    auto options = std::make_shared<WineOptions>();
    CLI::App* wine = app.add_subcommand(
        "wine",
        "Run a Windows program of the win32 build under Wine against this server "
        "($MORVANE_WINDOWS_BIN names that build's bin folder); exits with the program's status");
    wine->add_option("PROGRAM", options->program, "The .exe file, then its arguments")->required();
    // Everything after the program is the program's, options included, in
    // its order: one positional word, so that none of them is taken for it.
    wine->prefix_command();
    wine->callback([&lab, options, wine] {
        options->arguments = wine->remaining();
        lab.Select([&lab, options] { RunWine(lab, *options); });
    });
}

}  // namespace lab
