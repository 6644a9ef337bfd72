#include <algorithm>
#include <cmath>

#include "platform/ComError.h"
#include "setup/ExactDouble.h"
#include "setup/InstallForm.h"
#include "setup/Progress.h"

// The progress bar drawn by hand in Picture1 and the horizontal scroll
// extents of the four mailbox lists.
namespace setup {

namespace {

// A value rounded to a whole number, halves to even.
int32_t RoundHalfEven(double value) {
    return static_cast<int32_t>(std::nearbyint(value));
}

}  // namespace

// The quotient times 100 as IEEE double gives it, the same on every build:
// 23 of 40 is 57.49999999999999 in double, which the x87 unit's extended
// precision would round to 57.5 and show as 58%.
std::string PercentText(int32_t position, double total) {
    if (!(total > 0) || std::isinf(total)) {
        return "0%";
    }
    return std::to_string(RoundedDoublePercent(position, total)) + "%";
}

void InstallForm::UpdateStatus(const int32_t& FileBytes) {
    int32_t advanced = 0;
    if (__builtin_add_overflow(lngProgress, FileBytes, &advanced)) {
        throw platform::ComError(platform::runtime_error_number::kOverflow, "Overflow");
    }
    lngProgress = advanced;
    const double scaleWidth = Picture1.ScaleWidth();
    const double scaleHeight = Picture1.ScaleHeight();
    if (scaleWidth < lngProgress) {
        lngProgress = RoundHalfEven(scaleWidth);
    }
    // Without a usable scale the bar stays empty rather than running past
    // the box.
    if (scaleWidth <= 0) {
        lngProgress = 0;
    }
    const std::string percent = PercentText(lngProgress, scaleWidth);
    Picture1.Cls();
    Picture1.SetCurrentX(RoundHalfEven(scaleWidth - Picture1.TextWidth(percent)) / 2);
    Picture1.SetCurrentY(RoundHalfEven(scaleHeight - Picture1.TextHeight(percent)) / 2);
    Picture1.Print(percent);
    Picture1.LineBoxFilled(0, 0, lngProgress, scaleHeight, Picture1.ForeColor());
    Picture1.BitBltToSelf(0, 0, RoundHalfEven(scaleWidth), RoundHalfEven(scaleHeight), 0, 0,
                          forms::kSrcCopy);
}

void InstallForm::ListHScroll() {
    const forms::Font& listFont = SysMbxInstList.GetFont();
    forms::Font formFont = window_.GetFont();
    formFont.name = listFont.name;
    window_.SetFont(formFont);
    formFont.bold = listFont.bold;
    window_.SetFont(formFont);
    formFont.size = listFont.size;
    window_.SetFont(formFont);
    const int32_t scrollBarWidth = ports_.textMeasure.GetSystemMetrics(forms::kSmCxVScroll);
    for (forms::ListBox* list :
         {&SysMbxInstList, &MbxInstList, &MbxUninstList, &SysMbxUninstList}) {
        int32_t extent = 0;
        for (int position = 0; position < list->ListCount(); ++position) {
            const int32_t right =
                ports_.textMeasure.DrawTextCalcRectRight(list->List(position), window_.GetFont());
            extent = std::max(extent, right + scrollBarWidth);
        }
        list->SetHorizontalExtent(extent);
    }
}

}  // namespace setup
