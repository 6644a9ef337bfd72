#pragma once

#include <functional>
#include <string>
#include <vector>

#include "setup/InstallForm.h"

namespace setup::win32 {

// What kind of native control shows a control of the model.
enum class ControlKind { Button, CheckBox, Option, Label, Link, Frame, List, Text, Picture };

// One native control of the setup window: its model name, kind and place
// in client pixels.
struct ControlPlace {
    std::string name;
    ControlKind kind;
    int x;
    int y;
    int width;
    int height;
};

// The size of a text in pixels.
struct TextSize {
    int width = 0;
    int height = 0;
};
// Measures a text in a model font as the window draws it.
using TextMeasurer = std::function<TextSize(const std::string& text, const forms::Font& font)>;

// The window's client size and its controls in keyboard order, top left to
// bottom right; the frame follows what it holds, so it lies beneath them.
struct WindowPlan {
    int clientWidth = 0;
    int clientHeight = 0;
    std::vector<ControlPlace> places;
};

// Arranges the window as on Linux: the four lists in two rows, each under
// its operation box and "Select All" button; below them "Show disabled",
// the display-format frame (each option beside its two examples) and the
// commands; then the progress box, the error log with "Clear Error Log",
// and the link at the bottom right. Every captioned control is as wide as
// its caption needs in its own font, bold or not, and whatever caption it
// may take later; checkMark is the width of a check box's square.
WindowPlan PlanSetupWindow(const InstallForm& form, const TextMeasurer& measure, int checkMark);

}  // namespace setup::win32
