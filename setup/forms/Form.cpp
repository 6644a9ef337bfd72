#include "setup/forms/Form.h"

namespace setup::forms {

void Form::SetMousePointer(int pointer) {
    if (mousePointer_ == pointer) {
        return;
    }
    mousePointer_ = pointer;
    Notify(Property::MousePointer);
}

void Form::Unload() {
    if (unloaded_ || (queryUnload_ && queryUnload_())) {
        return;
    }
    unloaded_ = true;
    if (unload_) {
        unload_();
    }
    SetVisible(false);
}

}  // namespace setup::forms
