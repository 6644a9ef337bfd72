#include "setup/forms/Buttons.h"

#include "platform/ComError.h"

namespace setup::forms {

namespace {
void Run(const Handler& handler) {
    if (handler) {
        handler();
    }
}
}  // namespace

void CommandButton::Click() {
    Run(click_);
}

void CommandButton::UserClick() {
    if (AcceptsUser()) {
        Click();
    }
}

void CheckBox::SetValue(int value) {
    if (value < kUnchecked || value > kGrayed) {
        throw platform::ComError(380, "Invalid property value");
    }
    if (value_ == value) {
        return;
    }
    value_ = value;
    Notify(Property::Value);
    Run(click_);
}

void CheckBox::UserClick() {
    if (AcceptsUser()) {
        SetValue(value_ == kChecked ? kUnchecked : kChecked);
    }
}

void OptionButton::SetValue(bool value) {
    if (value_ == value) {
        return;
    }
    value_ = value;
    Notify(Property::Value);
    if (value) {
        Run(click_);
    }
}

void OptionButton::UserClick() {
    if (AcceptsUser()) {
        SetValue(true);
    }
}

void Label::SetToolTipText(const std::string& text) {
    if (toolTip_ == text) {
        return;
    }
    toolTip_ = text;
    Notify(Property::ToolTip);
}

void Label::UserClick() {
    if (AcceptsUser()) {
        Run(click_);
    }
}

void Label::UserMouseMove() {
    if (AcceptsUser()) {
        Run(mouseMove_);
    }
}

void TextBox::SetText(const std::string& text) {
    if (text_ == text) {
        return;
    }
    text_ = text;
    Notify(Property::Text);
}

void TextBox::UserSetText(const std::string& text) {
    if (AcceptsUser()) {
        SetText(text);
    }
}

}  // namespace setup::forms
