#include "setup/win32/WindowLayout.h"

namespace setup::win32 {

const std::vector<ControlPlace>& SetupWindowLayout() {
    using K = ControlKind;
    static const std::vector<ControlPlace> layout = {
        // The four mailbox lists, each with its operation box and its
        // "Select All" button.
        {"Check2", K::CheckBox, 10, 10, 300, 22},
        {"Command5", K::Button, 330, 8, 110, 26},
        {"SysMbxInstList", K::List, 10, 38, 430, 150},
        {"Check5", K::CheckBox, 460, 10, 300, 22},
        {"Command8", K::Button, 780, 8, 110, 26},
        {"SysMbxUninstList", K::List, 460, 38, 430, 150},
        {"Check3", K::CheckBox, 10, 198, 300, 22},
        {"Command6", K::Button, 330, 196, 110, 26},
        {"MbxInstList", K::List, 10, 226, 430, 150},
        {"Check4", K::CheckBox, 460, 198, 300, 22},
        {"Command7", K::Button, 780, 196, 110, 26},
        {"MbxUninstList", K::List, 460, 226, 430, 150},
        // The display format.
        {"Frame1", K::Frame, 10, 384, 300, 74},
        {"Option1", K::Option, 22, 404, 280, 22},
        {"Option2", K::Option, 22, 428, 280, 22},
        // Show disabled, the progress box and the labels.
        {"Check7", K::CheckBox, 330, 392, 250, 22},
        {"Picture1", K::Picture, 330, 424, 250, 24},
        {"Label7", K::Label, 600, 388, 290, 18},
        {"Label8", K::Label, 600, 408, 290, 18},
        {"Label9", K::Label, 600, 428, 290, 18},
        {"Label2", K::Label, 10, 464, 580, 18},
        {"Label3", K::Label, 10, 484, 580, 18},
        {"Label5", K::Link, 600, 464, 290, 18},
        // The error log and the commands.
        {"txtErr", K::Text, 10, 508, 700, 132},
        {"Command1", K::Button, 720, 508, 170, 30},
        {"Command3", K::Button, 720, 542, 170, 30},
        {"Command4", K::Button, 720, 576, 170, 30},
        {"Command2", K::Button, 720, 610, 170, 30},
    };
    return layout;
}

}  // namespace setup::win32
