// morvane-lab: creates, drives and inspects an emulated Morvane server.
//
// Exit codes: 0 success, 1 a failure while running (bad input the tool
// refuses, a platform error, a server that is missing or broken), 2 a
// command line that does not parse. Every failure is one line on stderr.
#include <iostream>
#include <string>

#include <CLI/CLI.hpp>

#include "platform/ComError.h"
#include "platform/emulated/db/ServerDb.h"
#include "tools/morvane-lab/Commands.h"
#include "tools/morvane-lab/Lab.h"

namespace {

constexpr int kFailure = 1;
constexpr int kUsage = 2;

int Report(const std::string& message, int code) {
    std::cerr << "morvane-lab: error: " << message << '\n';
    return code;
}

// Runs the selected command. This is the tool's one error policy: every
// failure ends the run with one line and a non-zero exit, never a trace.
int RunSelected(lab::Lab& lab) {
    try {
        lab.RunAction();
        return lab.ExitStatus();
    } catch (const platform::ComError& error) {
        return Report(std::to_string(error.number()) + " " + error.description(), kFailure);
    } catch (const platform::emulated::ServerError& error) {
        return Report(error.what(), kFailure);
    } catch (const lab::LabError& error) {
        return Report(error.what(), kFailure);
    } catch (const std::exception& error) {
        // Anything else is still reported as one line rather than a crash.
        return Report(std::string("unexpected failure: ") + error.what(), kFailure);
    }
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{
        "Create, drive and inspect an emulated Morvane server.\n"
        "The server is the folder named by $MORVANE_SERVER, else the embedded default "
        "folder.",
        "morvane-lab"};
    app.set_version_flag("--version", "morvane-lab " MORVANE_VERSION);
    lab::Lab lab;
    lab::AddAllCommands(app, lab);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        if (error.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success))
            return app.exit(error);
        return Report(error.what(), kUsage);
    }
    if (!lab.HasAction())
        return Report("no command given (see --help)", kUsage);
    return RunSelected(lab);
}
