#include "setup/qt/ProgramOptions.h"

namespace setup::qt {

namespace {
constexpr const char* kScreenshotOption = "--screenshot";
}

ProgramOptions ParseProgramOptions(const std::vector<std::string>& arguments) {
    ProgramOptions options;
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
    for (const std::string& argument : rest) {
        options.commandLine += (options.commandLine.empty() ? "" : " ") + argument;
    }
    return options;
}

DisplayChoice ChooseDisplay(bool hasDisplay, bool platformChosen, bool batchMode, bool screenshot) {
    if (hasDisplay || platformChosen) {
        return DisplayChoice::Screen;
    }
    return batchMode || screenshot ? DisplayChoice::Offscreen : DisplayChoice::None;
}

}  // namespace setup::qt
