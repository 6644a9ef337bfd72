#include <iostream>

#include "setup/CommandLine.h"
#include "setup/HeadlessWindow.h"
#include "setup/InstallForm.h"
#include "setup/SystemPorts.h"

// MorvaneSetup without a window: start-up, first activation, and the log on
// standard output.
int main(int argc, char* argv[]) {
    setup::HeadlessMessageBox messageBox(std::cout);
    setup::HeadlessEventLoop eventLoop;
    setup::HeadlessTextMeasure textMeasure;
    setup::InstallForm form(setup::SystemPorts(messageBox, eventLoop, textMeasure),
                            setup::CommandLineText(argc, argv));
    return setup::RunHeadless(form, std::cout, std::cerr);
}
