#include "setup/SystemPorts.h"

namespace setup {

SetupPorts SystemPorts(forms::MessageBox& messageBox, forms::EventLoop& eventLoop,
                       forms::TextMeasure& textMeasure) {
    return SetupPorts{platform::SystemActivation(),
                      platform::catalog::SystemCatalog(),
                      platform::SystemMachine(),
                      platform::sysinfo::SystemSystemInfo(),
                      platform::directory::SystemAdo(),
                      platform::SystemShell(),
                      platform::SystemClock(),
                      platform::SystemProfile(),
                      platform::SystemFileSystem(),
                      platform::SystemEventSources(),
                      messageBox,
                      eventLoop,
                      textMeasure,
                      MORVANE_LINK_ADDRESS};
}

}  // namespace setup
