#include "setup/qt/SetupProgram.h"

// MorvaneSetup with its window on Qt.
int main(int argc, char* argv[]) {
    return setup::qt::RunSetupProgram(argc, argv);
}
