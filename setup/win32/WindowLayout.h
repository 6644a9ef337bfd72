#pragma once

#include <string>
#include <vector>

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

// The window's client size and its controls, frames before what they hold.
constexpr int kClientWidth = 900;
constexpr int kClientHeight = 650;
const std::vector<ControlPlace>& SetupWindowLayout();

}  // namespace setup::win32
