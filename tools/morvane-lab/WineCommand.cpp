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

// A word without a folder that names no file here is a program of the
// prefix (cscript.exe, reg.exe), which Windows finds as it finds any.
bool IsProgramOfThePrefix(const std::string& program) {
    return program.find('/') == std::string::npos && !std::filesystem::exists(program);
}

void RunWine(Lab& lab, const WineOptions& options) {
    lab.Server();  // the server must exist: the program runs against it
    if (!IsProgramOfThePrefix(options.program) &&
        !std::filesystem::is_regular_file(options.program))
        throw LabError("wine: no such program: " + options.program);
    lab.SetExitStatus(platform::emulated::RunWindowsProgram(options.program, options.arguments));
}

}  // namespace

void AddWineCommand(CLI::App& app, Lab& lab) {
    auto options = std::make_shared<WineOptions>();
    CLI::App* wine = app.add_subcommand(
        "wine",
        "Run a Windows program of the win32 build under Wine against this server "
        "($MORVANE_WINDOWS_BIN names that build's bin folder), in the current folder; without "
        "a display on a hidden desktop; exits with the program's status");
    wine->add_option("PROGRAM", options->program,
                     "The .exe file, or a program of the prefix by its name (cscript.exe), then "
                     "its arguments")
        ->required();
    // Everything after the program is the program's, options included, in
    // its order: one positional word, so that none of them is taken for it.
    wine->prefix_command();
    wine->callback([&lab, options, wine] {
        options->arguments = wine->remaining();
        lab.Select([&lab, options] { RunWine(lab, *options); });
    });
}

}  // namespace lab
