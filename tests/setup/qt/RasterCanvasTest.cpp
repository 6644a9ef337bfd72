#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "setup/forms/PictureBox.h"
#include "setup/qt/RasterCanvas.h"

using setup::forms::Font;
using setup::forms::kDrawModeCopyPen;
using setup::forms::kDrawModeNotXorPen;
using setup::forms::kSrcCopy;
using setup::qt::RasterCanvas;

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kBlue = 0xFF0000FF;
constexpr int32_t kBlueBgr = 0xFF0000;  // the platform's 0x00BBGGRR order
const Font kBold{"MS Sans Serif", true, 8.25};

// Pixels that hold exactly the given colour.
std::vector<QPoint> PixelsOf(const QImage& image, QRgb colour, int fromX, int toX) {
    std::vector<QPoint> found;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = fromX; x < toX; ++x) {
            if (image.pixel(x, y) == colour) {
                found.emplace_back(x, y);
            }
        }
    }
    return found;
}

TEST(RasterCanvasPixels, NotXorBoxOverWhiteDrawsTheBarInBlue) {
    RasterCanvas canvas(QSize(100, 20));
    canvas.FillBox(0, 0, 40, 20, kBlueBgr, kDrawModeNotXorPen);
    EXPECT_EQ(canvas.Image().pixel(0, 0), kBlue);
    EXPECT_EQ(canvas.Image().pixel(39, 19), kBlue);
    EXPECT_EQ(canvas.Image().pixel(40, 10), kWhite) << "the box ends at its right corner";
}

TEST(RasterCanvasPixels, NotXorBoxTurnsBlueTextUnderItWhiteAndLeavesTheRestAlone) {
    RasterCanvas canvas(QSize(120, 24));
    canvas.DrawText(30, 2, "100%", kBold, kBlueBgr, kDrawModeNotXorPen);
    const QImage before = canvas.Image();
    const std::vector<QPoint> text = PixelsOf(before, kBlue, 0, 120);
    ASSERT_GT(text.size(), 20u) << "the bold text is drawn in blue";

    canvas.FillBox(0, 0, 60, 24, kBlueBgr, kDrawModeNotXorPen);
    const QImage& after = canvas.Image();
    int inverted = 0;
    for (const QPoint& pixel : text) {
        if (pixel.x() < 60) {
            EXPECT_EQ(after.pixel(pixel), kWhite) << pixel.x() << "," << pixel.y();
            ++inverted;
        } else {
            EXPECT_EQ(after.pixel(pixel), kBlue) << "text right of the bar stays blue";
        }
    }
    EXPECT_GT(inverted, 5) << "part of the text lies under the bar";
    for (const QPoint& pixel : PixelsOf(before, kWhite, 0, 60)) {
        EXPECT_EQ(after.pixel(pixel), kBlue) << "background under the bar turns blue";
    }
    EXPECT_EQ(after.pixel(119, 0), kWhite);
}

TEST(RasterCanvasPixels, NotXorBoxGivesTheRasterEnginesPixelsOverAnyPicture) {
    RasterCanvas canvas(QSize(90, 22));
    canvas.DrawText(3, 2, "67%", kBold, kBlueBgr, kDrawModeNotXorPen);
    canvas.FillBox(50, 0, 90, 22, 0x3366CC, kDrawModeCopyPen);
    QImage expected = canvas.Image();
    {
        QPainter painter(&expected);
        painter.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
        painter.fillRect(QRect(20, 3, 50, 15), QColor(0, 0, 255));
    }
    canvas.FillBox(20, 3, 70, 18, kBlueBgr, kDrawModeNotXorPen);
    EXPECT_EQ(canvas.Image(), expected);
}

// The progress bar draws its text on a cleared box at every record: a
// text drawn again gives the same pixels, and over a picture that is not
// plain any more it is drawn, not copied with the plain box around it.
TEST(RasterCanvasPixels, TextDrawnAgainGivesTheSamePixelsOverAnyPicture) {
    RasterCanvas canvas(QSize(80, 20));
    canvas.Clear(0xFFFFFF);
    canvas.DrawText(10, 2, "42%", kBold, kBlueBgr, kDrawModeNotXorPen);
    const QImage first = canvas.Image();
    canvas.FillBox(0, 0, 80, 20, 0x00FF00, kDrawModeCopyPen);
    canvas.Clear(0xFFFFFF);
    canvas.DrawText(10, 2, "42%", kBold, kBlueBgr, kDrawModeNotXorPen);
    EXPECT_EQ(canvas.Image(), first);

    canvas.Clear(0xFFFFFF);
    canvas.FillBox(0, 0, 30, 20, 0x0000FF, kDrawModeCopyPen);
    canvas.DrawText(10, 2, "42%", kBold, kBlueBgr, kDrawModeNotXorPen);
    RasterCanvas fresh(QSize(80, 20));
    fresh.FillBox(0, 0, 30, 20, 0x0000FF, kDrawModeCopyPen);
    fresh.DrawText(10, 2, "42%", kBold, kBlueBgr, kDrawModeNotXorPen);
    EXPECT_EQ(canvas.Image(), fresh.Image());
}

TEST(RasterCanvasPixels, CopyPenPaintsOverTextAndTextIgnoresTheDrawingMode) {
    RasterCanvas canvas(QSize(80, 20));
    canvas.FillBox(0, 0, 80, 20, 0x0000FF, kDrawModeNotXorPen);  // red box
    canvas.DrawText(4, 2, "50%", kBold, kBlueBgr, kDrawModeNotXorPen);
    EXPECT_FALSE(PixelsOf(canvas.Image(), kBlue, 0, 80).empty())
        << "text is drawn in its colour whatever the mode";
    canvas.FillBox(0, 0, 80, 20, kBlueBgr, kDrawModeCopyPen);
    EXPECT_EQ(PixelsOf(canvas.Image(), kBlue, 0, 80).size(), 80u * 20u);
}

TEST(RasterCanvasPixels, ClearFillsWithTheBackgroundColour) {
    RasterCanvas canvas(QSize(30, 10));
    canvas.FillBox(0, 0, 30, 10, kBlueBgr, kDrawModeCopyPen);
    canvas.Clear(0x00FF00);  // green
    EXPECT_EQ(PixelsOf(canvas.Image(), 0xFF00FF00, 0, 30).size(), 300u);
}

TEST(RasterCanvasPixels, SourceCopyBlitCopiesARegionAndOtherOperationsChangeNothing) {
    RasterCanvas canvas(QSize(40, 10));
    canvas.FillBox(0, 0, 10, 10, kBlueBgr, kDrawModeCopyPen);
    canvas.BitBlt(20, 0, 10, 10, 0, 0, kSrcCopy);
    EXPECT_EQ(canvas.Image().pixel(25, 5), kBlue);
    EXPECT_EQ(canvas.Image().pixel(15, 5), kWhite);
    const QImage before = canvas.Image();
    canvas.BitBlt(30, 0, 10, 10, 0, 0, 0x00330008);  // NOTSRCCOPY
    EXPECT_EQ(canvas.Image(), before);
    // The progress bar blits its scale width, far wider than the box: only
    // the part inside the bitmap is copied, to where it belongs.
    canvas.BitBlt(0, 0, 30000, 10, 0, 0, kSrcCopy);
    EXPECT_EQ(canvas.Image(), before);
    canvas.BitBlt(5, 0, 30000, 10, -5, 0, kSrcCopy);
    EXPECT_EQ(canvas.Image().pixel(14, 5), kBlue) << "source 0..9 lands at 10..19";
    EXPECT_EQ(canvas.Image().pixel(9, 5), kBlue);
    EXPECT_EQ(canvas.Image().pixel(25, 5), kWhite) << "source 10..19 lands at 20..29";
    EXPECT_EQ(canvas.Image().pixel(35, 5), kBlue) << "source 20..29 lands at 30..39";
}

TEST(RasterCanvasMeasure, BoldTextIsWiderAndBothHaveAHeight) {
    RasterCanvas canvas(QSize(100, 20));
    const Font plain{"MS Sans Serif", false, 8.25};
    EXPECT_GT(canvas.TextWidth("100%", kBold), canvas.TextWidth("100%", plain));
    EXPECT_GT(canvas.TextWidth("100%", plain), canvas.TextWidth("1%", plain));
    EXPECT_GT(canvas.TextHeight("100%", kBold), 8.0);
    EXPECT_LT(canvas.TextHeight("100%", kBold), 24.0);
}

TEST(RasterCanvasRefresh, RefreshRepaintsAndResizeStartsInTheBackgroundColour) {
    RasterCanvas canvas(QSize(10, 10));
    int repaints = 0;
    canvas.OnRefresh([&repaints] { ++repaints; });
    canvas.Refresh();
    EXPECT_EQ(repaints, 1);
    canvas.Resize(QSize(50, 12), 0x0000FF);
    EXPECT_EQ(canvas.PixelWidth(), 50);
    EXPECT_EQ(canvas.PixelHeight(), 12);
    EXPECT_EQ(canvas.Image().pixel(49, 11), 0xFFFF0000);
}

// The picture box draws a progress bar through the canvas: the percentage
// centred and inverted where the bar covers it.
TEST(RasterCanvasPictureBox, HalfwayBarInvertsTheLeftPartOfTheCentredText) {
    RasterCanvas canvas(QSize(200, 22));
    setup::forms::PictureBox box("Picture1");
    box.SetCanvas(&canvas);
    box.SetFontBold(true);
    box.SetBackColor(0xFFFFFF);
    box.SetDrawMode(kDrawModeNotXorPen);
    box.SetForeColor(kBlueBgr);
    box.SetScaleWidth(4);
    box.Cls();
    box.SetCurrentX((4 - box.TextWidth("50%")) / 2);
    box.SetCurrentY((box.ScaleHeight() - box.TextHeight("50%")) / 2);
    box.Print("50%");
    const QImage textOnly = canvas.Image();
    box.LineBoxFilled(0, 0, 2, box.ScaleHeight(), box.ForeColor());

    const std::vector<QPoint> text = PixelsOf(textOnly, kBlue, 0, 200);
    ASSERT_FALSE(text.empty());
    for (const QPoint& pixel : text) {
        EXPECT_EQ(canvas.Image().pixel(pixel), pixel.x() < 100 ? kWhite : kBlue);
    }
    int left = 200;
    int right = 0;
    for (int y = 0; y < textOnly.height(); ++y) {
        for (int x = 0; x < textOnly.width(); ++x) {
            if (textOnly.pixel(x, y) != kWhite) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    EXPECT_LT(left, 100);
    EXPECT_GT(right, 100) << "the text straddles the middle";
    EXPECT_NEAR((left + right) / 2.0, 100.0, 4.0) << "the text is centred";
}

}  // namespace
