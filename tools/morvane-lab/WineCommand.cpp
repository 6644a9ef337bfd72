#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/emulated/bridge/BridgeServer.h"
#include "tools/morvane-lab/Commands.h"

namespace lab {

namespace {

struct WineOptions {
    std::vector<std::string> words;  // the program, then its arguments
};

void RunWine(Lab& lab, const WineOptions& options) {
    if (options.words.empty())
        throw LabError("wine: no Windows program given");
    lab.Server();  // the server must exist: the program runs against it
    const std::string& program = options.words.front();
    if (!std::filesystem::is_regular_file(program))
        throw LabError("wine: no such program: " + program);
    std::vector<std::string> arguments(options.words.begin() + 1, options.words.end());
    lab.SetExitStatus(platform::emulated::RunWindowsProgram(program, arguments));
}

}  // namespace

void AddWineCommand(CLI::App& app, Lab& lab) {
    auto options = std::make_shared<WineOptions>();
    CLI::App* wine = app.add_subcommand(
        "wine",
        "Run a Windows program of the win32 build under Wine against this server "
        "($MORVANE_WINDOWS_BIN names that build's bin folder); exits with the program's status");
    wine->add_option("PROGRAM", options->words, "The .exe file, then its arguments")->required();
    // Everything after the program is the program's, options included.
    wine->prefix_command();
    wine->callback([&lab, options, wine] {
        for (const std::string& word : wine->remaining())
            options->words.push_back(word);
        lab.Select([&lab, options] { RunWine(lab, *options); });
    });
}

}  // namespace lab
