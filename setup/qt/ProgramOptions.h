#pragma once

#include <string>
#include <vector>

// The command line of the window program and the choice of display.
namespace setup::qt {

struct ProgramOptions {
    // The command line the form sees: the arguments joined by single
    // blanks, without the program's own options.
    std::string commandLine;
    // --screenshot FILE: save the window as PNG after the first activation
    // and close the program as Exit does.
    std::string screenshotFile;
    // --help / --version, each only as the whole argument text: print the
    // usage or the version and exit, without a window.
    bool help = false;
    bool version = false;
    // Not empty when the arguments cannot be used.
    std::string error;
};

ProgramOptions ParseProgramOptions(const std::vector<std::string>& arguments);

enum class DisplayChoice {
    Screen,     // the platform Qt finds (a display, or the one chosen by QT_QPA_PLATFORM)
    Offscreen,  // no display, but nobody needs to see the window
    None,       // no display and a user is needed
};

// hasDisplay: DISPLAY or WAYLAND_DISPLAY is set; platformChosen:
// QT_QPA_PLATFORM is set. A run in batch mode or for a screenshot needs
// no user and runs offscreen without a display.
DisplayChoice ChooseDisplay(bool hasDisplay, bool platformChosen, bool batchMode, bool screenshot);

// The text on standard error when there is no display.
inline constexpr const char* kNoDisplayMessage =
    "MorvaneSetup: no display found (DISPLAY and WAYLAND_DISPLAY are not set). "
    "Start it on a desktop, or with -b for the unattended run.";

}  // namespace setup::qt
