#include "setup/CommandLine.h"

#include <algorithm>

namespace setup {

std::string CommandLineText(int argc, const char* const argv[]) {
    return ArgumentText(std::vector<std::string>(argv + std::min(argc, 1), argv + argc));
}

std::string ArgumentText(const std::vector<std::string>& arguments) {
    std::string text;
    for (size_t i = 0; i < arguments.size(); ++i) {
        text += (i > 0 ? " " : "") + arguments[i];
    }
    return text;
}

ProgramRequest RequestOf(const std::string& argumentText) {
    if (argumentText == "--help") {
        return ProgramRequest::Help;
    }
    return argumentText == "--version" ? ProgramRequest::Version : ProgramRequest::Form;
}

namespace {

std::string UsageText(bool screenshotOption) {
    const std::string screenshot = screenshotOption ? " [--screenshot FILE]" : "";
    std::string text = "Usage: MorvaneSetup [-b | /b]" + screenshot +
                       "\n"
                       "       MorvaneSetup --help | --version\n"
                       "\n"
                       "Installs the Morvane event sink on this mail server, lists the mailboxes\n"
                       "with their registration state and registers or unregisters the sink.\n"
                       "\n"
                       "  -b, /b             batch mode: renew every registration of the sink and\n"
                       "                     exit, without a user and without a display\n";
    if (screenshotOption) {
        text +=
            "  --screenshot FILE  save a picture of the window (PNG) once the lists are\n"
            "                     filled, then close as Exit does\n";
    }
    return text +
           "  --help             print this text and exit\n"
           "  --version          print the version and exit\n"
           "--help and --version count only as the whole command line; any text that\n"
           "begins with -b or /b selects batch mode.\n"
           "\n"
           "Exit status: in batch mode 0 after a clean run, and 1 when the run logged an\n"
           "error or skipped a step because a call failed, each of them going to standard\n"
           "error; otherwise 0. 1 also when no window can be shown or the screenshot\n"
           "cannot be saved, 2 when the command line cannot be used.\n";
}

}  // namespace

std::string RequestAnswer(ProgramRequest request, bool screenshotOption) {
    if (request == ProgramRequest::Help) {
        return UsageText(screenshotOption);
    }
    return request == ProgramRequest::Version ? "MorvaneSetup " MORVANE_VERSION "\n" : "";
}

}  // namespace setup
