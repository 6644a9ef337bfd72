#pragma once

#include "setup/SetupPorts.h"

namespace setup {

// The ports of the platform the program runs on, with the window services
// of the front end that shows the window.
SetupPorts SystemPorts(forms::MessageBox& messageBox, forms::EventLoop& eventLoop,
                       forms::TextMeasure& textMeasure);

}  // namespace setup
