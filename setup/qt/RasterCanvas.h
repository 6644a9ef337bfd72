#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QSize>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <tuple>

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
    // A text drawn at a place in a colour on a bitmap of a size all of one
    // colour, and the pixels it changed.
    struct DrawnTextKey {
        std::string text;
        int32_t color = 0;
        double x = 0;
        double y = 0;
        int32_t background = 0;
        int width = 0;
        int height = 0;
        auto Tied() const { return std::tie(text, color, x, y, background, width, height); }
        bool operator<(const DrawnTextKey& other) const { return Tied() < other.Tied(); }
    };
    struct DrawnText {
        QRect area;
        QImage pixels;
    };
    // The font last used, with its metrics and the texts measured and drawn
    // in it: the progress bar draws one of a hundred and one texts, once a
    // record.
    struct FontTexts {
        forms::Font font;
        QFont qfont;
        QFontMetricsF metrics;
        std::map<std::string, double> widths;
        std::map<DrawnTextKey, DrawnText> drawn;
    };
    FontTexts& TextsIn(const forms::Font& font);
    static void CopyPixels(const DrawnText& drawn, QImage& image);

    QImage image_;
    std::function<void()> repaint_;
    std::optional<FontTexts> texts_;
    // The colour the whole bitmap has, while nothing was drawn since it was
    // cleared.
    std::optional<int32_t> plainColor_;
};

}  // namespace setup::qt
