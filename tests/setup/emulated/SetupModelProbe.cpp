// setup_model_probe: the setup form's model on this machine's platform (the
// emulated server of MORVANE_SERVER, from the current folder), loaded and
// activated as the window does it, without a window. Prints the four lists
// with their operation boxes as setup_window_probe.exe prints the native
// Windows window's, then unloads the form. A message box the form shows
// goes to standard error: the window would have shown it.
#include <iostream>
#include <utility>
#include <vector>

#include "setup/HeadlessWindow.h"
#include "setup/InstallForm.h"
#include "setup/SystemPorts.h"
#include "tests/support/SetupWindowText.h"

int main() {
    setup::HeadlessMessageBox messageBox(std::cerr);
    setup::HeadlessEventLoop eventLoop;
    setup::HeadlessTextMeasure textMeasure;
    setup::InstallForm form(setup::SystemPorts(messageBox, eventLoop, textMeasure), "");
    form.Form_Load();
    form.Form_Activate();
    // In the order of testsupport::kSetupPanels; the names come from the
    // model, so a panel out of place shows in the text.
    const std::pair<setup::forms::CheckBox*, setup::forms::ListBox*> controls[] = {
        {&form.Check2, &form.SysMbxInstList},
        {&form.Check5, &form.SysMbxUninstList},
        {&form.Check3, &form.MbxInstList},
        {&form.Check4, &form.MbxUninstList},
    };
    std::vector<testsupport::ShownPanel> panels;
    for (const auto& [box, list] : controls) {
        testsupport::ShownPanel panel;
        panel.box = box->Name();
        panel.value = box->Value();
        panel.enabled = box->Enabled();
        panel.list = list->Name();
        for (int i = 0; i < list->ListCount(); ++i) {
            panel.entries.push_back(list->List(i));
            panel.selected.push_back(list->Selected(i));
        }
        panels.push_back(std::move(panel));
    }
    std::cout << testsupport::SetupWindowText(panels);
    form.Window().Unload();
    return 0;
}
