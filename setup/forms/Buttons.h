#pragma once

#include <string>

#include "setup/forms/Control.h"

// Buttons and labels of the control model: command buttons, check boxes,
// option buttons and labels (see Control.h for the model's rules).
namespace setup::forms {

// A push button. Click runs the handler.
class CommandButton : public CaptionControl {
  public:
    using CaptionControl::CaptionControl;
    void OnClick(Handler handler) { click_ = std::move(handler); }
    // Runs the click handler, as a call from code does.
    void Click();
    // A user's click: ignored while disabled or hidden.
    void UserClick();

  private:
    Handler click_;
};

// A check box with the values 0 (clear), 1 (ticked) and 2 (grey).
class CheckBox : public CaptionControl {
  public:
    static constexpr int kUnchecked = 0;
    static constexpr int kChecked = 1;
    static constexpr int kGrayed = 2;

    using CaptionControl::CaptionControl;
    void OnClick(Handler handler) { click_ = std::move(handler); }
    int Value() const { return value_; }
    // Sets the value; when it changes, listeners are told and then the
    // click handler runs at once. Values outside 0..2 throw ComError 380
    // "Invalid property value" and change nothing.
    void SetValue(int value);
    // A user's click: a ticked box becomes clear, any other becomes ticked.
    void UserClick();

  private:
    int value_ = kUnchecked;
    Handler click_;
};

// An option button. Selecting it (from code or by the user) while it is not
// selected runs its click handler; deselecting runs nothing. The form
// deselects the other options of a group itself.
class OptionButton : public CaptionControl {
  public:
    using CaptionControl::CaptionControl;
    void OnClick(Handler handler) { click_ = std::move(handler); }
    bool Value() const { return value_; }
    void SetValue(bool value);
    void UserClick();

  private:
    bool value_ = false;
    Handler click_;
};

// A label: a caption, a tool tip, a click and a mouse-move handler.
class Label : public CaptionControl {
  public:
    using CaptionControl::CaptionControl;
    const std::string& ToolTipText() const { return toolTip_; }
    void SetToolTipText(const std::string& text);
    void OnClick(Handler handler) { click_ = std::move(handler); }
    void OnMouseMove(Handler handler) { mouseMove_ = std::move(handler); }
    void UserClick();
    void UserMouseMove();

  private:
    std::string toolTip_;
    Handler click_;
    Handler mouseMove_;
};

// A frame: a captioned container of option buttons.
class Frame : public CaptionControl {
  public:
    using CaptionControl::CaptionControl;
};

// A (multi-line) text box.
class TextBox : public Control {
  public:
    using Control::Control;
    const std::string& Text() const { return text_; }
    void SetText(const std::string& text);
    // The user typed: the text changes as from code.
    void UserSetText(const std::string& text);

  private:
    std::string text_;
};

}  // namespace setup::forms
