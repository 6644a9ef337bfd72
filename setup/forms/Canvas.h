#pragma once

#include <cstdint>
#include <string>

#include "setup/forms/Control.h"

namespace setup::forms {

// Drawing modes and raster operations the picture box passes on.
constexpr int32_t kDrawModeCopyPen = 13;
constexpr int32_t kDrawModeNotXorPen = 10;  // each pixel becomes NOT (pen XOR pixel)
constexpr uint32_t kSrcCopy = 0xCC0020;

// The canvas port: the retained bitmap a picture box draws on, in pixels.
// A front end implements it over its own painting; colours are 0x00BBGGRR.
class Canvas {
  public:
    virtual ~Canvas() = default;
    virtual int32_t PixelWidth() = 0;
    virtual int32_t PixelHeight() = 0;
    // Fills the whole bitmap with the background colour.
    virtual void Clear(int32_t backColor) = 0;
    virtual double TextWidth(const std::string& text, const Font& font) = 0;
    virtual double TextHeight(const std::string& text, const Font& font) = 0;
    // Draws text with its top left corner at (x, y).
    virtual void DrawText(double x, double y, const std::string& text, const Font& font,
                          int32_t color, int32_t drawMode) = 0;
    // A box with outline and solid fill from corner (x1, y1) to (x2, y2).
    virtual void FillBox(double x1, double y1, double x2, double y2, int32_t color,
                         int32_t drawMode) = 0;
    // BitBlt from the bitmap onto itself; the values are taken as pixels.
    virtual void BitBlt(int32_t x, int32_t y, int32_t width, int32_t height, int32_t sourceX,
                        int32_t sourceY, uint32_t rop) = 0;
    // Repaints the visible box from the bitmap.
    virtual void Refresh() = 0;
};

}  // namespace setup::forms
