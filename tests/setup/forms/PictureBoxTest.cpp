#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "setup/forms/PictureBox.h"

using namespace setup::forms;

namespace {

// A canvas of 200 x 20 pixels that records what is drawn on it; a text is
// 7 pixels a character wide and 10 pixels high.
class RecordingCanvas : public Canvas {
  public:
    std::vector<std::string> calls;

    int32_t PixelWidth() override { return 200; }
    int32_t PixelHeight() override { return 20; }
    void Clear(int32_t backColor) override {
        calls.push_back("Clear " + std::to_string(backColor));
    }
    double TextWidth(const std::string& text, const Font&) override {
        return 7.0 * static_cast<double>(text.size());
    }
    double TextHeight(const std::string&, const Font&) override { return 10; }
    void DrawText(double x, double y, const std::string& text, const Font& font, int32_t color,
                  int32_t drawMode) override {
        calls.push_back("Text " + std::to_string(static_cast<int>(x)) + "," +
                        std::to_string(static_cast<int>(y)) + " " + text +
                        (font.bold ? " bold" : "") + " c" + std::to_string(color) + " m" +
                        std::to_string(drawMode));
    }
    void FillBox(double x1, double y1, double x2, double y2, int32_t color,
                 int32_t drawMode) override {
        calls.push_back("Box " + std::to_string(static_cast<int>(x1)) + "," +
                        std::to_string(static_cast<int>(y1)) + "-" +
                        std::to_string(static_cast<int>(x2)) + "," +
                        std::to_string(static_cast<int>(y2)) + " c" + std::to_string(color) + " m" +
                        std::to_string(drawMode));
    }
    void BitBlt(int32_t x, int32_t y, int32_t width, int32_t height, int32_t sourceX,
                int32_t sourceY, uint32_t rop) override {
        calls.push_back("BitBlt " + std::to_string(x) + "," + std::to_string(y) + " " +
                        std::to_string(width) + "x" + std::to_string(height) + " from " +
                        std::to_string(sourceX) + "," + std::to_string(sourceY) + " rop" +
                        std::to_string(rop));
    }
    void Refresh() override { calls.push_back("Refresh"); }
};

TEST(PictureBoxScale, ScaleDefaultsToPixelsAndConvertsCoordinates) {
    RecordingCanvas canvas;
    PictureBox box("Picture1");
    box.SetCanvas(&canvas);
    EXPECT_EQ(box.ScaleWidth(), 200);
    EXPECT_EQ(box.ScaleHeight(), 20);
    box.SetScaleWidth(4);  // four records
    box.SetForeColor(0xFF0000);
    box.SetDrawMode(kDrawModeNotXorPen);
    box.LineBoxFilled(0, 0, 1, box.ScaleHeight(), box.ForeColor());
    EXPECT_EQ(canvas.calls, (std::vector<std::string>{"Box 0,0-50,20 c16711680 m10"}));
}

TEST(PictureBoxScale, TextIsMeasuredInScaleUnits) {
    RecordingCanvas canvas;
    PictureBox box("Picture1");
    box.SetCanvas(&canvas);
    box.SetScaleWidth(100);
    EXPECT_DOUBLE_EQ(box.TextWidth("33%"), 10.5);  // 21 pixels of 200 in 100 units
    EXPECT_DOUBLE_EQ(box.TextHeight("33%"), 10);
}

TEST(PictureBoxDrawing, PrintUsesTheTextPositionFontColourAndMode) {
    RecordingCanvas canvas;
    PictureBox box("Picture1");
    box.SetCanvas(&canvas);
    box.SetFontBold(true);
    box.SetForeColor(255);
    box.SetDrawMode(kDrawModeNotXorPen);
    box.SetCurrentX(90);
    box.SetCurrentY(5);
    box.Print("50%");
    EXPECT_EQ(canvas.calls, (std::vector<std::string>{"Text 90,5 50% bold c255 m10"}));
    EXPECT_EQ(box.CurrentX(), 0);
    EXPECT_EQ(box.CurrentY(), 15);
}

TEST(PictureBoxDrawing, ClsClearsToTheBackColourAndResetsThePosition) {
    RecordingCanvas canvas;
    PictureBox box("Picture1");
    box.SetCanvas(&canvas);
    box.SetBackColor(0xFFFFFF);
    box.SetCurrentX(3);
    box.Cls();
    box.BitBltToSelf(0, 0, 200, 20, 0, 0, kSrcCopy);
    box.Refresh();
    EXPECT_EQ(canvas.calls,
              (std::vector<std::string>{"Clear 16777215", "BitBlt 0,0 200x20 from 0,0 rop13369376",
                                        "Refresh"}));
    EXPECT_EQ(box.CurrentX(), 0);
}

TEST(PictureBoxDrawing, DrawingIsReportedToListeners) {
    RecordingCanvas canvas;
    PictureBox box("Picture1");
    box.SetCanvas(&canvas);
    int drawings = 0;
    box.Subscribe(
        [&](Control&, Property property) { drawings += property == Property::Drawing ? 1 : 0; });
    box.Cls();
    box.Print("x");
    box.LineBoxFilled(0, 0, 1, 1, 0);
    EXPECT_EQ(drawings, 3);
}

TEST(PictureBoxHeadless, WithoutACanvasNothingIsDrawnAndTextsMeasureZero) {
    PictureBox box("Picture1");
    box.SetScaleWidth(10);
    box.Cls();
    box.Print("100%");
    box.LineBoxFilled(0, 0, 10, 5, 0);
    box.BitBltToSelf(0, 0, 10, 5, 0, 0, kSrcCopy);
    EXPECT_EQ(box.TextWidth("100%"), 0);
    EXPECT_EQ(box.ScaleWidth(), 10);
    EXPECT_EQ(box.ScaleHeight(), 0);
}

}  // namespace
