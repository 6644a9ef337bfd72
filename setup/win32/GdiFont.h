#pragma once

#include "platform/win32/WindowsHeaders.h"
#include "setup/forms/Control.h"

namespace setup::win32 {

// A GDI font made from the control model's font; deleted when it goes.
class GdiFont {
  public:
    explicit GdiFont(const forms::Font& font);
    GdiFont(const GdiFont&) = delete;
    GdiFont& operator=(const GdiFont&) = delete;
    ~GdiFont();
    HFONT Handle() const { return font_; }

  private:
    HFONT font_;
};

}  // namespace setup::win32
