#include "setup/forms/PictureBox.h"

namespace setup::forms {

double PictureBox::ScaleWidth() const {
    if (scaleWidth_ >= 0) {
        return scaleWidth_;
    }
    return canvas_ != nullptr ? canvas_->PixelWidth() : 0;
}

double PictureBox::ScaleHeight() const {
    if (scaleHeight_ >= 0) {
        return scaleHeight_;
    }
    return canvas_ != nullptr ? canvas_->PixelHeight() : 0;
}

double PictureBox::ToPixelX(double x) const {
    const double scale = ScaleWidth();
    return scale == 0 ? 0 : x * canvas_->PixelWidth() / scale;
}

double PictureBox::ToPixelY(double y) const {
    const double scale = ScaleHeight();
    return scale == 0 ? 0 : y * canvas_->PixelHeight() / scale;
}

void PictureBox::Cls() {
    currentX_ = 0;
    currentY_ = 0;
    if (canvas_ != nullptr) {
        canvas_->Clear(backColor_);
        Notify(Property::Drawing);
    }
}

double PictureBox::TextWidth(const std::string& text) const {
    if (canvas_ == nullptr || canvas_->PixelWidth() == 0) {
        return 0;
    }
    return canvas_->TextWidth(text, GetFont()) * ScaleWidth() / canvas_->PixelWidth();
}

double PictureBox::TextHeight(const std::string& text) const {
    if (canvas_ == nullptr || canvas_->PixelHeight() == 0) {
        return 0;
    }
    return canvas_->TextHeight(text, GetFont()) * ScaleHeight() / canvas_->PixelHeight();
}

void PictureBox::Print(const std::string& text) {
    if (canvas_ != nullptr) {
        canvas_->DrawText(ToPixelX(currentX_), ToPixelY(currentY_), text, GetFont(), foreColor_,
                          drawMode_);
        Notify(Property::Drawing);
    }
    currentY_ += TextHeight(text);
    currentX_ = 0;
}

void PictureBox::LineBoxFilled(double x1, double y1, double x2, double y2, int32_t color) {
    if (canvas_ != nullptr) {
        canvas_->FillBox(ToPixelX(x1), ToPixelY(y1), ToPixelX(x2), ToPixelY(y2), color, drawMode_);
        Notify(Property::Drawing);
    }
    currentX_ = x2;
    currentY_ = y2;
}

void PictureBox::BitBltToSelf(int32_t x, int32_t y, int32_t width, int32_t height, int32_t sourceX,
                              int32_t sourceY, uint32_t rop) {
    if (canvas_ != nullptr) {
        canvas_->BitBlt(x, y, width, height, sourceX, sourceY, rop);
        Notify(Property::Drawing);
    }
}

void PictureBox::Refresh() {
    if (canvas_ != nullptr) {
        canvas_->Refresh();
    }
}

}  // namespace setup::forms
