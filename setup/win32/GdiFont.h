#pragma once

#include <string>

#include "platform/win32/WindowsHeaders.h"
#include "setup/forms/Control.h"

namespace setup::win32 {

// A GDI font made from the control model's font; deleted when it goes.
// The model's default face is the toolkit's dialog font, so it becomes the
// system's dialog font "MS Shell Dlg 2" (Tahoma on Windows Server 2003).
class GdiFont {
  public:
    explicit GdiFont(const forms::Font& font);
    GdiFont(const GdiFont&) = delete;
    GdiFont& operator=(const GdiFont&) = delete;
    ~GdiFont();
    HFONT Handle() const { return font_; }
    // The size of text drawn in this font on dc; an empty text has the
    // font's height.
    SIZE Measure(HDC dc, const std::string& text) const;

  private:
    HFONT font_;
};

}  // namespace setup::win32
