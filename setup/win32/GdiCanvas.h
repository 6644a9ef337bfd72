#pragma once

// The port comes before the Windows headers, which would turn its member
// name DrawText into a macro; the macro is undone after them.
#include "setup/forms/Canvas.h"

#include "platform/win32/WindowsHeaders.h"

#undef DrawText

namespace setup::win32 {

// The retained bitmap of a picture box: a memory device context the box
// draws on, and from which its window repaints.
class GdiCanvas : public forms::Canvas {
  public:
    GdiCanvas(HWND box, int width, int height);
    GdiCanvas(const GdiCanvas&) = delete;
    GdiCanvas& operator=(const GdiCanvas&) = delete;
    ~GdiCanvas() override;

    HDC Dc() const { return dc_; }
    // Copies the bitmap onto the box's window (WM_PAINT).
    void PaintOnto(HDC target) const;

    int32_t PixelWidth() override { return width_; }
    int32_t PixelHeight() override { return height_; }
    void Clear(int32_t backColor) override;
    double TextWidth(const std::string& text, const forms::Font& font) override;
    double TextHeight(const std::string& text, const forms::Font& font) override;
    void DrawText(double x, double y, const std::string& text, const forms::Font& font,
                  int32_t color, int32_t drawMode) override;
    void FillBox(double x1, double y1, double x2, double y2, int32_t color,
                 int32_t drawMode) override;
    void BitBlt(int32_t x, int32_t y, int32_t width, int32_t height, int32_t sourceX,
                int32_t sourceY, uint32_t rop) override;
    void Refresh() override;

  private:
    SIZE Measure(const std::string& text, const forms::Font& font);

    HWND box_;
    int width_;
    int height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previousBitmap_ = nullptr;
};

}  // namespace setup::win32
