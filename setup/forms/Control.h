#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The toolkit-free control model of the setup window.
//
// InstallForm is written against these classes only; a front end (Qt,
// Win32, or none at all for a headless run) binds them to real widgets:
//
// - Model -> front end: every control notifies its listeners after the
//   model changed one of its properties (caption, value, enabled, visible,
//   bold, list items, selection, list index, text, mouse pointer, ...). A
//   listener receives the control and the property and reads the new state
//   from the control.
// - Front end -> model: a front end feeds the user's actions in through the
//   User* methods (UserClick, UserSelect, ...). They run the same handlers
//   as the window system would, and are ignored while a control is
//   disabled or hidden.
//
// Semantics the form relies on: setting a check box's value or selecting an
// option button from code runs its click handler at once, on the same
// thread, when (and only when) the value changes. Handlers may nest.
namespace setup::forms {

// What changed on a control.
enum class Property {
    Caption,
    Value,
    Enabled,
    Visible,
    Font,
    Items,
    Selection,
    ListIndex,
    Text,
    MousePointer,
    ToolTip,
    HorizontalExtent,
    Drawing,
};

// The font of a control (the automation font object: Name, Bold, Size).
struct Font {
    std::string name = "MS Sans Serif";
    bool bold = false;
    double size = 8.25;

    friend bool operator==(const Font&, const Font&) = default;
};

class Control;
using ChangeListener = std::function<void(Control& control, Property property)>;

// The base of every control: its name, enabled and visible flags, font and
// the listeners a front end subscribes.
class Control {
  public:
    explicit Control(std::string name) : name_(std::move(name)) {}
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& Name() const { return name_; }

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);

    const Font& GetFont() const { return font_; }
    void SetFont(const Font& font);
    bool FontBold() const { return font_.bold; }
    void SetFontBold(bool bold);

    // Subscribes a listener; returns a token for Unsubscribe.
    int Subscribe(ChangeListener listener);
    void Unsubscribe(int token);

    // A condition a user's action must meet besides the control being
    // enabled and visible. While it is false the user's actions are
    // ignored, the control keeps its state, and its look does not change.
    void SetUserGate(std::function<bool()> gate) { userGate_ = std::move(gate); }

  protected:
    void Notify(Property property);
    // True when a user action may reach the control.
    bool AcceptsUser() const { return enabled_ && visible_ && (!userGate_ || userGate_()); }

  private:
    std::string name_;
    bool enabled_ = true;
    bool visible_ = true;
    Font font_;
    std::function<bool()> userGate_;
    int nextToken_ = 1;
    std::vector<std::pair<int, ChangeListener>> listeners_;
};

// A handler without arguments (Click, MouseMove); empty means none.
using Handler = std::function<void()>;

// A control that shows a caption (buttons, labels, check boxes, options).
class CaptionControl : public Control {
  public:
    using Control::Control;
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);

  private:
    std::string caption_;
};

}  // namespace setup::forms
