#include "setup/win32/GdiFont.h"

#include <cmath>

#include "platform/win32/WideText.h"

namespace setup::win32 {

namespace {

std::wstring FaceName(const std::string& modelFace) {
    if (modelFace == forms::Font{}.name)
        return L"MS Shell Dlg 2";
    return platform::win32::Utf8ToWide(modelFace);
}

}  // namespace

GdiFont::GdiFont(const forms::Font& font) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    const int height = -static_cast<int>(std::lround(font.size * dpi / 72.0));
    std::wstring name = FaceName(font.name);
    // Without smoothing, as the target system draws: the progress box's
    // not-XOR inversion relies on text pixels of the pure foreground colour.
    font_ = CreateFontW(height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                        DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                        NONANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, name.c_str());
}

GdiFont::~GdiFont() {
    if (font_ != nullptr)
        DeleteObject(font_);
}

SIZE GdiFont::Measure(HDC dc, const std::string& text) const {
    HGDIOBJ previous = SelectObject(dc, font_);
    std::wstring wide = platform::win32::Utf8ToWide(text);
    SIZE size{0, 0};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    if (wide.empty()) {
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);
        size.cy = metrics.tmHeight;
    }
    SelectObject(dc, previous);
    return size;
}

}  // namespace setup::win32
