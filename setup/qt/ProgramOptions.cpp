#include "setup/qt/ProgramOptions.h"

namespace setup::qt {

namespace {
constexpr const char* kScreenshotOption = "--screenshot";
}

ProgramOptions ParseProgramOptions(const std::vector<std::string>& arguments) {
    ProgramOptions options;
    std::vector<std::string> rest;
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--help") {
            options.help = true;
        } else if (arguments[i] == "--version") {
            options.version = true;
        } else if (arguments[i] != kScreenshotOption) {
            rest.push_back(arguments[i]);
        } else if (i + 1 < arguments.size() && !arguments[i + 1].empty()) {
            options.screenshotFile = arguments[++i];
        } else {
            options.error = std::string(kScreenshotOption) + " needs a file name";
        }
    }
    for (const std::string& argument : rest) {
        options.commandLine += (options.commandLine.empty() ? "" : " ") + argument;
    }
    return options;
}

std::string UsageText() {
    return "Usage: MorvaneSetup [-b | /b] [--screenshot FILE]\n"
           "       MorvaneSetup --help | --version\n"
           "\n"
           "Installs the Morvane event sink on this mail server, lists the mailboxes\n"
           "with their registration state and registers or unregisters the sink.\n"
           "\n"
           "  -b, /b             batch mode: renew every registration of the sink and\n"
           "                     exit, without a user and without a display\n"
           "  --screenshot FILE  save a picture of the window (PNG) once the lists are\n"
           "                     filled, then close as Exit does\n"
           "  --help             print this text and exit\n"
           "  --version          print the version and exit\n"
           "\n"
           "Exit status: in batch mode 0 when the run logged no error and 1 when it did,\n"
           "the logged entries going to standard error; otherwise 0. 1 also when no\n"
           "window can be shown or the screenshot cannot be saved, 2 when the command\n"
           "line cannot be used.\n";
}

DisplayChoice ChooseDisplay(bool hasDisplay, bool platformChosen, bool batchMode, bool screenshot) {
    if (hasDisplay || platformChosen) {
        return DisplayChoice::Screen;
    }
    return batchMode || screenshot ? DisplayChoice::Offscreen : DisplayChoice::None;
}

}  // namespace setup::qt
