#pragma once

#include <string>

#include "setup/forms/Control.h"

namespace setup::forms {

// The window itself: caption, font, mouse pointer and its life. Unload
// runs the unload handler once; listeners then see Visible become false,
// and a front end closes the window.
class Form : public CaptionControl {
  public:
    static constexpr int kPointerDefault = 0;
    static constexpr int kPointerHourglass = 11;

    using CaptionControl::CaptionControl;

    int MousePointer() const { return mousePointer_; }
    void SetMousePointer(int pointer);

    void OnUnload(Handler handler) { unload_ = std::move(handler); }
    // Asked before every unload; true keeps the window loaded.
    void OnQueryUnload(std::function<bool()> cancel) { queryUnload_ = std::move(cancel); }
    // Unloads the window unless the query handler keeps it; later calls do
    // nothing.
    void Unload();
    bool IsUnloaded() const { return unloaded_; }

  private:
    int mousePointer_ = kPointerDefault;
    bool unloaded_ = false;
    Handler unload_;
    std::function<bool()> queryUnload_;
};

}  // namespace setup::forms
