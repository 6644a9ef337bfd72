#include <iostream>

#include "setup/CommandLine.h"
#include "setup/HeadlessWindow.h"
#include "setup/InstallForm.h"
#include "setup/SystemPorts.h"

// MorvaneSetup without a window: start-up, first activation, and the log on
// standard output.
int main(int argc, char* argv[]) {
    const std::string commandLine = setup::CommandLineText(argc, argv);
    if (const setup::ProgramRequest request = setup::RequestOf(commandLine);
        request != setup::ProgramRequest::Form) {
        std::cout << setup::RequestAnswer(request, false);
        return 0;
    }
    setup::HeadlessMessageBox messageBox(std::cout);
    setup::HeadlessEventLoop eventLoop;
    setup::HeadlessTextMeasure textMeasure;
    setup::InstallForm form(setup::SystemPorts(messageBox, eventLoop, textMeasure), commandLine);
    return setup::RunHeadless(form, std::cout, std::cerr);
}
