#pragma once

#include <cstdint>
#include <string>

#include "setup/forms/Canvas.h"
#include "setup/forms/Control.h"

namespace setup::forms {

// A picture box that draws through a canvas port. Coordinates are in the
// box's scale units: ScaleWidth and ScaleHeight span the canvas's pixels
// (both equal the pixel size until code sets them). Without a canvas the box
// draws nothing and measures every text as 0, as a headless window does.
// Every drawing operation notifies Property::Drawing.
class PictureBox : public Control {
  public:
    using Control::Control;

    void SetCanvas(Canvas* canvas) { canvas_ = canvas; }

    double ScaleWidth() const;
    void SetScaleWidth(double width) { scaleWidth_ = width; }
    double ScaleHeight() const;
    void SetScaleHeight(double height) { scaleHeight_ = height; }

    double CurrentX() const { return currentX_; }
    void SetCurrentX(double x) { currentX_ = x; }
    double CurrentY() const { return currentY_; }
    void SetCurrentY(double y) { currentY_ = y; }

    int32_t ForeColor() const { return foreColor_; }
    void SetForeColor(int32_t color) { foreColor_ = color; }
    int32_t BackColor() const { return backColor_; }
    void SetBackColor(int32_t color) { backColor_ = color; }
    int32_t DrawMode() const { return drawMode_; }
    void SetDrawMode(int32_t mode) { drawMode_ = mode; }
    int32_t FillStyle() const { return fillStyle_; }
    void SetFillStyle(int32_t style) { fillStyle_ = style; }
    bool AutoRedraw() const { return autoRedraw_; }
    void SetAutoRedraw(bool autoRedraw) { autoRedraw_ = autoRedraw; }

    // Clears to the background colour; the text position returns to (0, 0).
    void Cls();
    double TextWidth(const std::string& text) const;
    double TextHeight(const std::string& text) const;
    // Prints at the text position, which then moves to the next line.
    void Print(const std::string& text);
    // The Line method with the box and fill options.
    void LineBoxFilled(double x1, double y1, double x2, double y2, int32_t color);
    // BitBlt with the box's device context as destination and source.
    void BitBltToSelf(int32_t x, int32_t y, int32_t width, int32_t height, int32_t sourceX,
                      int32_t sourceY, uint32_t rop);
    void Refresh();

  private:
    double ToPixelX(double x) const;
    double ToPixelY(double y) const;

    Canvas* canvas_ = nullptr;
    double scaleWidth_ = -1;  // negative: the pixel width
    double scaleHeight_ = -1;
    double currentX_ = 0;
    double currentY_ = 0;
    int32_t foreColor_ = 0;
    int32_t backColor_ = 0xFFFFFF;
    int32_t drawMode_ = kDrawModeCopyPen;
    int32_t fillStyle_ = 1;  // transparent
    bool autoRedraw_ = false;
};

}  // namespace setup::forms
