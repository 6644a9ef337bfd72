#include "setup/win32/GdiCanvas.h"

#include <cmath>

#include "platform/win32/WideText.h"
#include "setup/win32/GdiFont.h"

namespace setup::win32 {

namespace {

int Pixel(double value) {
    return static_cast<int>(std::lround(value));
}

int RasterMode(int32_t drawMode) {
    // The picture box's drawing modes are the R2_ codes themselves.
    return drawMode >= R2_BLACK && drawMode <= R2_WHITE ? drawMode : R2_COPYPEN;
}

}  // namespace

GdiCanvas::GdiCanvas(HWND box, int width, int height)
    : box_(box), width_(width > 0 ? width : 1), height_(height > 0 ? height : 1) {
    HDC screen = GetDC(box);
    dc_ = CreateCompatibleDC(screen);
    bitmap_ = CreateCompatibleBitmap(screen, width_, height_);
    ReleaseDC(box, screen);
    previousBitmap_ = SelectObject(dc_, bitmap_);
    Clear(0xFFFFFF);
}

GdiCanvas::~GdiCanvas() {
    SelectObject(dc_, previousBitmap_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
}

void GdiCanvas::PaintOnto(HDC target) const {
    ::BitBlt(target, 0, 0, width_, height_, dc_, 0, 0, SRCCOPY);
}

void GdiCanvas::Clear(int32_t backColor) {
    HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(backColor));
    RECT all{0, 0, width_, height_};
    FillRect(dc_, &all, brush);
    DeleteObject(brush);
}

SIZE GdiCanvas::Measure(const std::string& text, const forms::Font& font) {
    return GdiFont(font).Measure(dc_, text);
}

double GdiCanvas::TextWidth(const std::string& text, const forms::Font& font) {
    return Measure(text, font).cx;
}

double GdiCanvas::TextHeight(const std::string& text, const forms::Font& font) {
    return Measure(text, font).cy;
}

void GdiCanvas::DrawText(double x, double y, const std::string& text, const forms::Font& font,
                         int32_t color, int32_t drawMode) {
    GdiFont gdiFont(font);
    HGDIOBJ previous = SelectObject(dc_, gdiFont.Handle());
    SetBkMode(dc_, TRANSPARENT);
    SetTextColor(dc_, static_cast<COLORREF>(color));
    SetROP2(dc_, RasterMode(drawMode));
    std::wstring wide = platform::win32::Utf8ToWide(text);
    TextOutW(dc_, Pixel(x), Pixel(y), wide.c_str(), static_cast<int>(wide.size()));
    SelectObject(dc_, previous);
}

void GdiCanvas::FillBox(double x1, double y1, double x2, double y2, int32_t color,
                        int32_t drawMode) {
    HPEN pen = CreatePen(PS_SOLID, 1, static_cast<COLORREF>(color));
    HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(color));
    HGDIOBJ oldPen = SelectObject(dc_, pen);
    HGDIOBJ oldBrush = SelectObject(dc_, brush);
    int previousMode = SetROP2(dc_, RasterMode(drawMode));
    // The box includes both corners, as the Line method draws it.
    Rectangle(dc_, Pixel(std::min(x1, x2)), Pixel(std::min(y1, y2)), Pixel(std::max(x1, x2)) + 1,
              Pixel(std::max(y1, y2)) + 1);
    SetROP2(dc_, previousMode);
    SelectObject(dc_, oldBrush);
    SelectObject(dc_, oldPen);
    DeleteObject(brush);
    DeleteObject(pen);
}

void GdiCanvas::BitBlt(int32_t x, int32_t y, int32_t width, int32_t height, int32_t sourceX,
                       int32_t sourceY, uint32_t rop) {
    ::BitBlt(dc_, x, y, width, height, dc_, sourceX, sourceY, rop);
}

void GdiCanvas::Refresh() {
    InvalidateRect(box_, nullptr, FALSE);
}

}  // namespace setup::win32
