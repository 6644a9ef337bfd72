#include "setup/qt/RasterCanvas.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

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

int Pixel(double value) {
    return static_cast<int>(std::lround(value));
}

}  // namespace

RasterCanvas::RasterCanvas(QSize size, int32_t backColor) {
    Resize(size, backColor);
}

void RasterCanvas::Resize(QSize size, int32_t backColor) {
    image_ = QImage(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image_.fill(ToQColor(backColor));
}

void RasterCanvas::Clear(int32_t backColor) {
    image_.fill(ToQColor(backColor));
}

double RasterCanvas::TextWidth(const std::string& text, const forms::Font& font) {
    return QFontMetricsF(ToQFont(font), &image_).horizontalAdvance(ToQString(text));
}

double RasterCanvas::TextHeight(const std::string&, const forms::Font& font) {
    return QFontMetricsF(ToQFont(font), &image_).height();
}

void RasterCanvas::DrawText(double x, double y, const std::string& text, const forms::Font& font,
                            int32_t color, int32_t) {
    QPainter painter(&image_);
    const QFont qfont = ToQFont(font);
    painter.setFont(qfont);
    painter.setPen(ToQColor(color));
    const double ascent = QFontMetricsF(qfont, &image_).ascent();
    painter.drawText(QPointF(x, y + ascent), ToQString(text));
}

void RasterCanvas::FillBox(double x1, double y1, double x2, double y2, int32_t color,
                           int32_t drawMode) {
    const int left = Pixel(std::min(x1, x2));
    const int top = Pixel(std::min(y1, y2));
    const QRect box(left, top, Pixel(std::max(x1, x2)) - left, Pixel(std::max(y1, y2)) - top);
    if (box.isEmpty()) {
        return;
    }
    QPainter painter(&image_);
    painter.setCompositionMode(ToCompositionMode(drawMode));
    painter.fillRect(box, ToQColor(color));
}

void RasterCanvas::BitBlt(int32_t x, int32_t y, int32_t width, int32_t height, int32_t sourceX,
                          int32_t sourceY, uint32_t rop) {
    if (rop != forms::kSrcCopy || width <= 0 || height <= 0) {
        return;
    }
    const QImage source = image_.copy(sourceX, sourceY, width, height);
    QPainter painter(&image_);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(x, y, source);
}

void RasterCanvas::Refresh() {
    if (repaint_) {
        repaint_();
    }
}

}  // namespace setup::qt
