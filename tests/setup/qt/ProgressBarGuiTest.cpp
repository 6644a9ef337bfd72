#include "tests/setup/qt/WindowFixture.h"

// The progress bar as the form draws it into the real window's box: the
// percentage centred in bold, the blue bar from the left, the text under
// the bar inverted.
using guitest::WindowFixture;

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kBlue = 0xFF0000FF;

struct Extent {
    int count = 0;
    int left = 1 << 20;
    int right = -1;
};

// Pixels of the columns [fromX, toX) that are not the given colour.
Extent PixelsOtherThan(const QImage& image, QRgb colour, int fromX, int toX) {
    Extent extent;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = fromX; x < toX; ++x) {
            if (image.pixel(x, y) != colour) {
                ++extent.count;
                extent.left = std::min(extent.left, x);
                extent.right = std::max(extent.right, x);
            }
        }
    }
    return extent;
}

using ProgressBarPixels = WindowFixture;

TEST_F(ProgressBarPixels, HalfwayTheTextLeftOfTheBarEdgeIsInvertedAndTheRestIsBlue) {
    Open();
    form->Picture1.SetVisible(true);
    guitest::Settle();
    form->Picture1.SetScaleWidth(1000);  // a thousand records, half of them read
    form->UpdateStatus(500);
    const QImage& image = W().Picture1->Canvas().Image();
    const int middle = image.width() / 2;

    const Extent underBar = PixelsOtherThan(image, kBlue, 0, middle);
    const Extent besideBar = PixelsOtherThan(image, kWhite, middle, image.width());
    EXPECT_GT(underBar.count, 10) << "text under the bar shows inverted";
    EXPECT_GT(besideBar.count, 10) << "text beside the bar shows blue on white";
    int whiteUnderBar = 0;
    for (int y = 0; y < image.height(); ++y) {
        EXPECT_EQ(image.pixel(0, y), kBlue);
        EXPECT_EQ(image.pixel(image.width() - 1, y), kWhite);
        for (int x = 0; x < middle; ++x) {
            whiteUnderBar += image.pixel(x, y) == kWhite ? 1 : 0;
        }
    }
    EXPECT_GT(whiteUnderBar, 5) << "blue glyph pixels turned white";
    EXPECT_NEAR((underBar.left + besideBar.right) / 2.0, middle, 4.0) << "\"50%\" is centred";
}

TEST_F(ProgressBarPixels, AFullBarShowsOneHundredPercentAllInverted) {
    Open();
    form->Picture1.SetVisible(true);
    guitest::Settle();
    form->Picture1.SetScaleWidth(1);
    form->UpdateStatus(1);
    form->UpdateStatus(1);  // more calls than records: stays full
    const QImage& image = W().Picture1->Canvas().Image();
    int white = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            white += image.pixel(x, y) == kWhite ? 1 : 0;
        }
    }
    EXPECT_GT(white, 10) << "the text shows white on the full bar";
    EXPECT_EQ(image.pixel(0, 0), kBlue);
    EXPECT_EQ(image.pixel(image.width() - 1, image.height() - 1), kBlue);
}

}  // namespace
