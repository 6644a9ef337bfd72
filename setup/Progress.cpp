#include <algorithm>
#include <cmath>

#include "platform/ComError.h"
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

// The largest whole number up to which a double holds every whole number.
constexpr double kLargestExactWhole = 9007199254740992.0;  // 2^53

// numerator / denominator (> 0) rounded to the nearest whole number, halves
// to even, exactly.
int64_t RoundedQuotient(int64_t numerator, int64_t denominator) {
    const int64_t magnitude = numerator < 0 ? -numerator : numerator;
    int64_t quotient = magnitude / denominator;
    const int64_t twiceRemainder = 2 * (magnitude % denominator);
    if (twiceRemainder > denominator || (twiceRemainder == denominator && quotient % 2 == 1)) {
        ++quotient;
    }
    return numerator < 0 ? -quotient : quotient;
}

}  // namespace

// The exact quotient in integer arithmetic, so that every build shows the
// same text: in floating point 23 of 40 came out as 57.4999... in double
// and as 57.5 in the x87 unit's extended precision.
std::string PercentText(int32_t position, double total) {
    if (!(total > 0)) {
        return "0%";
    }
    int64_t percent = 0;
    if (total == std::floor(total) && total <= kLargestExactWhole) {
        percent = RoundedQuotient(int64_t{position} * 100, static_cast<int64_t>(total));
    } else {
        // A scale with a fraction, which the walk never sets (it counts
        // records): one division of exact operands, kept within range.
        percent =
            static_cast<int64_t>(std::nearbyint(std::clamp(position * 100.0 / total, -1e15, 1e15)));
    }
    return std::to_string(percent) + "%";
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
