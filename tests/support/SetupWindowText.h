#pragma once

#include <string>
#include <vector>

// The setup window's four mailbox lists and their operation boxes as text,
// written the same way for the native Windows window read from outside and
// for the form's model on Linux, so that the two compare line by line.
// Header only: both toolchains build it.
namespace testsupport {

// A list and the operation box above it, as the window shows them.
struct ShownPanel {
    std::string box;  // the box's name, "Check5"
    int value = 0;    // 0 clear, 1 ticked, 2 grey
    bool enabled = false;
    std::string list;  // the list's name, "SysMbxUninstList"
    std::vector<std::string> entries;
    std::vector<bool> selected;
};

// The panels in the window's reading order, with the box captions a person
// sees: store-wide above per mailbox, unregistered beside registered.
struct PanelName {
    const char* box;
    const char* caption;
    const char* list;
};
inline constexpr PanelName kSetupPanels[] = {
    {"Check2", "Register store-wide ", "SysMbxInstList"},
    {"Check5", "Unregister store-wide", "SysMbxUninstList"},
    {"Check3", "Register per-mailbox", "MbxInstList"},
    {"Check4", "Unregister per-mailbox", "MbxUninstList"},
};

// Per panel: "Check5 = 1, enabled: SysMbxUninstList" (or "disabled"), then
// one line per entry, "  [x] " for a selected one and "  [ ] " otherwise,
// followed by the entry's text.
inline std::string SetupWindowText(const std::vector<ShownPanel>& panels) {
    std::string text;
    for (const ShownPanel& panel : panels) {
        text += panel.box + " = " + std::to_string(panel.value) +
                (panel.enabled ? ", enabled: " : ", disabled: ") + panel.list + "\n";
        for (size_t i = 0; i < panel.entries.size(); ++i) {
            const bool marked = i < panel.selected.size() && panel.selected[i];
            text += (marked ? "  [x] " : "  [ ] ") + panel.entries[i] + "\n";
        }
    }
    return text;
}

}  // namespace testsupport
