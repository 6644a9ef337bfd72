#include "setup/forms/Control.h"

#include <algorithm>

namespace setup::forms {

void CaptionControl::SetCaption(const std::string& caption) {
    if (caption_ == caption) {
        return;
    }
    caption_ = caption;
    Notify(Property::Caption);
}

void Control::SetEnabled(bool enabled) {
    if (enabled_ == enabled) {
        return;
    }
    enabled_ = enabled;
    Notify(Property::Enabled);
}

void Control::SetVisible(bool visible) {
    if (visible_ == visible) {
        return;
    }
    visible_ = visible;
    Notify(Property::Visible);
}

void Control::SetFont(const Font& font) {
    if (font_ == font) {
        return;
    }
    font_ = font;
    Notify(Property::Font);
}

void Control::SetFontBold(bool bold) {
    Font font = font_;
    font.bold = bold;
    SetFont(font);
}

int Control::Subscribe(ChangeListener listener) {
    const int token = nextToken_++;
    listeners_.emplace_back(token, std::move(listener));
    return token;
}

void Control::Unsubscribe(int token) {
    std::erase_if(listeners_, [token](const auto& entry) { return entry.first == token; });
}

void Control::Notify(Property property) {
    // A copy, so a listener may subscribe or unsubscribe while notified.
    const auto listeners = listeners_;
    for (const auto& [token, listener] : listeners) {
        listener(*this, property);
    }
}

}  // namespace setup::forms
