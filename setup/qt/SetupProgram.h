#pragma once

// The window program MorvaneSetup on Qt: chooses the display, creates the
// form on the platform's ports with the Qt window services, opens the
// window and runs until the form unloads. Returns the exit code.
namespace setup::qt {

int RunSetupProgram(int argc, char* argv[]);

}  // namespace setup::qt
