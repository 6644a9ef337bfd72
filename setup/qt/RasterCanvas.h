#pragma once

#include <QImage>
#include <QSize>
#include <functional>

#include "setup/forms/Canvas.h"

namespace setup::qt {

// The picture box's retained bitmap on a raster surface (a QImage in
// 32-bit RGB), so that raster operations act on the pixels as the
// platform's device contexts do. Text output is never affected by the
// drawing mode; filled boxes are.
class RasterCanvas : public forms::Canvas {
  public:
    explicit RasterCanvas(QSize size, int32_t backColor = 0xFFFFFF);

    const QImage& Image() const { return image_; }
    // A new bitmap of that size, filled with backColor.
    void Resize(QSize size, int32_t backColor);
    // Called by Refresh to repaint the visible box.
    void OnRefresh(std::function<void()> repaint) { repaint_ = std::move(repaint); }

    int32_t PixelWidth() override { return image_.width(); }
    int32_t PixelHeight() override { return image_.height(); }
    void Clear(int32_t backColor) override;
    double TextWidth(const std::string& text, const forms::Font& font) override;
    double TextHeight(const std::string& text, const forms::Font& font) override;
    void DrawText(double x, double y, const std::string& text, const forms::Font& font,
                  int32_t color, int32_t drawMode) override;
    void FillBox(double x1, double y1, double x2, double y2, int32_t color,
                 int32_t drawMode) override;
    // Only SRCCOPY copies; other raster operations leave the bitmap as it is.
    void BitBlt(int32_t x, int32_t y, int32_t width, int32_t height, int32_t sourceX,
                int32_t sourceY, uint32_t rop) override;
    void Refresh() override;

  private:
    QImage image_;
    std::function<void()> repaint_;
};

}  // namespace setup::qt
