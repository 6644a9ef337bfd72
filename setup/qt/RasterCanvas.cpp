#include "setup/qt/RasterCanvas.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "setup/qt/QtFonts.h"

namespace setup::qt {

namespace {

// The pen's raster operation for a drawing mode (R2_* values 1 to 16) that
// Qt's raster engine offers; the others draw as the copy pen does.
QPainter::CompositionMode ToCompositionMode(int32_t drawMode) {
    switch (drawMode) {
        case 1:
            return QPainter::RasterOp_ClearDestination;
        case 4:
            return QPainter::RasterOp_NotSource;
        case 6:
            return QPainter::RasterOp_NotDestination;
        case 7:
            return QPainter::RasterOp_SourceXorDestination;
        case 9:
            return QPainter::RasterOp_SourceAndDestination;
        case forms::kDrawModeNotXorPen:
            return QPainter::RasterOp_NotSourceXorDestination;
        case 15:
            return QPainter::RasterOp_SourceOrDestination;
        case 16:
            return QPainter::RasterOp_SetDestination;
        default:
            return QPainter::CompositionMode_SourceOver;
    }
}

// One row of the not-XOR pen: each pixel becomes NOT (pen XOR pixel), its
// alpha kept opaque; four pixels at a time.
void NotXorRow(QRgb* pixels, int count, QRgb pen) {
    using Quad = QRgb __attribute__((vector_size(16)));
    constexpr QRgb kOpaque = 0xFF000000u;
    const Quad pens = {pen, pen, pen, pen};
    const Quad opaque = {kOpaque, kOpaque, kOpaque, kOpaque};
    int x = 0;
    for (; x + 4 <= count; x += 4) {
        Quad quad;
        std::memcpy(&quad, pixels + x, sizeof quad);
        quad = ~(pens ^ quad) | opaque;
        std::memcpy(pixels + x, &quad, sizeof quad);
    }
    for (; x < count; ++x) {
        pixels[x] = ~(pen ^ pixels[x]) | kOpaque;
    }
}

// The not-XOR pen over the bitmap's 32-bit pixels, as the raster engine
// applies it, written out: the progress bar fills one such box a record,
// as wide as the bar, and a painter costs more than the pixels.
void FillNotXor(QImage& image, const QRect& box, QRgb pen) {
    const QRect area = box.intersected(image.rect());
    for (int y = area.top(); y <= area.bottom(); ++y) {
        NotXorRow(reinterpret_cast<QRgb*>(image.scanLine(y)) + area.left(), area.width(), pen);
    }
}

// The smallest rectangle holding every pixel of the image that is not of
// the colour; empty when there is none.
QRect AreaNotOfColour(const QImage& image, QRgb colour) {
    QRect area;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (line[x] != colour) {
                area |= QRect(x, y, 1, 1);
            }
        }
    }
    return area;
}

// Texts kept per font before they are measured and drawn afresh.
constexpr size_t kMaxKeptTexts = 256;

int Pixel(double value) {
    return static_cast<int>(std::lround(value));
}

}  // namespace

void RasterCanvas::CopyPixels(const DrawnText& drawn, QImage& image) {
    const QRect& area = drawn.area;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        std::memcpy(reinterpret_cast<QRgb*>(image.scanLine(y)) + area.left(),
                    drawn.pixels.constScanLine(y - area.top()),
                    static_cast<size_t>(area.width()) * sizeof(QRgb));
    }
}

RasterCanvas::RasterCanvas(QSize size, int32_t backColor) {
    Resize(size, backColor);
}

void RasterCanvas::Resize(QSize size, int32_t backColor) {
    image_ = QImage(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image_.fill(ToQColor(backColor));
    plainColor_ = backColor;
}

void RasterCanvas::Clear(int32_t backColor) {
    image_.fill(ToQColor(backColor));
    plainColor_ = backColor;
}

RasterCanvas::FontTexts& RasterCanvas::TextsIn(const forms::Font& font) {
    if (!texts_ || !(texts_->font == font)) {
        const QFont qfont = ToQFont(font);
        texts_.emplace(FontTexts{font, qfont, QFontMetricsF(qfont, &image_), {}, {}});
    }
    if (texts_->widths.size() > kMaxKeptTexts || texts_->drawn.size() > kMaxKeptTexts) {
        texts_->widths.clear();
        texts_->drawn.clear();
    }
    return *texts_;
}

double RasterCanvas::TextWidth(const std::string& text, const forms::Font& font) {
    FontTexts& texts = TextsIn(font);
    auto found = texts.widths.find(text);
    if (found == texts.widths.end())
        found = texts.widths.emplace(text, texts.metrics.horizontalAdvance(ToQString(text))).first;
    return found->second;
}

double RasterCanvas::TextHeight(const std::string&, const forms::Font& font) {
    return TextsIn(font).metrics.height();
}

// A text drawn on a bitmap all of one colour changes the same pixels the
// same way every time: the progress bar draws its percentage on a cleared
// box once a record, one of a hundred and one texts. The pixels are kept
// and copied the next time.
void RasterCanvas::DrawText(double x, double y, const std::string& text, const forms::Font& font,
                            int32_t color, int32_t) {
    FontTexts& texts = TextsIn(font);
    const std::optional<int32_t> plain = std::exchange(plainColor_, std::nullopt);
    const DrawnTextKey key{text, color, x, y, plain.value_or(0), image_.width(), image_.height()};
    if (plain) {
        if (auto found = texts.drawn.find(key); found != texts.drawn.end()) {
            CopyPixels(found->second, image_);
            return;
        }
    }
    {
        QPainter painter(&image_);
        painter.setFont(texts.qfont);
        painter.setPen(ToQColor(color));
        painter.drawText(QPointF(x, y + texts.metrics.ascent()), ToQString(text));
    }
    if (plain) {
        const QRect area = AreaNotOfColour(image_, ToQColor(*plain).rgb());
        texts.drawn.emplace(key, DrawnText{area, image_.copy(area)});
    }
}

void RasterCanvas::FillBox(double x1, double y1, double x2, double y2, int32_t color,
                           int32_t drawMode) {
    const int left = Pixel(std::min(x1, x2));
    const int top = Pixel(std::min(y1, y2));
    const QRect box(left, top, Pixel(std::max(x1, x2)) - left, Pixel(std::max(y1, y2)) - top);
    if (box.isEmpty()) {
        return;
    }
    plainColor_.reset();
    if (drawMode == forms::kDrawModeNotXorPen) {
        FillNotXor(image_, box, ToQColor(color).rgb());
        return;
    }
    QPainter painter(&image_);
    painter.setCompositionMode(ToCompositionMode(drawMode));
    painter.fillRect(box, ToQColor(color));
}

void RasterCanvas::BitBlt(int32_t x, int32_t y, int32_t width, int32_t height, int32_t sourceX,
                          int32_t sourceY, uint32_t rop) {
    // A region copied onto itself stays as it is.
    if (rop != forms::kSrcCopy || width <= 0 || height <= 0 || (x == sourceX && y == sourceY)) {
        return;
    }
    // Only the part of the source inside the bitmap has pixels to copy;
    // the progress bar passes its scale width, one unit a record, which
    // may be far wider than the box.
    const QRect source = QRect(sourceX, sourceY, width, height).intersected(image_.rect());
    if (source.isEmpty()) {
        return;
    }
    plainColor_.reset();
    const QImage pixels = image_.copy(source);
    QPainter painter(&image_);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(x + source.x() - sourceX, y + source.y() - sourceY, pixels);
}

void RasterCanvas::Refresh() {
    if (repaint_) {
        repaint_();
    }
}

}  // namespace setup::qt
