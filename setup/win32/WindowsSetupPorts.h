#pragma once

#include <string>
#include <string_view>

#include "setup/SetupPorts.h"

namespace setup::win32 {

// The platform's ports with the given window services.
SetupPorts WindowsSetupPorts(forms::MessageBox& messageBox, forms::EventLoop& eventLoop,
                             forms::TextMeasure& textMeasure);

// The command line after the program's name (quoted or not) and the blanks
// that follow it, as the program's arguments text.
std::string ProgramArguments(std::wstring_view commandLine);

}  // namespace setup::win32
