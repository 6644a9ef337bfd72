#include "setup/qt/ProgramOptions.h"

#include "setup/CommandLine.h"

namespace setup::qt {

namespace {

constexpr const char* kScreenshotOption = "--screenshot";

}  // namespace

ProgramOptions ParseProgramOptions(const std::vector<std::string>& arguments) {
    ProgramOptions options;
    const ProgramRequest request = RequestOf(ArgumentText(arguments));
    options.help = request == ProgramRequest::Help;
    options.version = request == ProgramRequest::Version;
    if (request != ProgramRequest::Form) {
        return options;
    }
    std::vector<std::string> rest;
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] != kScreenshotOption) {
            rest.push_back(arguments[i]);
        } else if (i + 1 < arguments.size() && !arguments[i + 1].empty()) {
            options.screenshotFile = arguments[++i];
        } else {
            options.error = std::string(kScreenshotOption) + " needs a file name";
        }
    }
    options.commandLine = ArgumentText(rest);
    return options;
}

DisplayChoice ChooseDisplay(bool hasDisplay, bool platformChosen, bool batchMode, bool screenshot) {
    if (hasDisplay || platformChosen) {
        return DisplayChoice::Screen;
    }
    return batchMode || screenshot ? DisplayChoice::Offscreen : DisplayChoice::None;
}

}  // namespace setup::qt
