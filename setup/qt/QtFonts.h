#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <string>

#include "setup/forms/Control.h"

// Conversions between the control model's values and Qt's: fonts, colours
// and texts.
namespace setup::qt {

// The font family the window draws in: the model's Windows faces ("MS Sans
// Serif", "Arial") are shown in the sans-serif face shipped with the
// system, so that measuring and drawing agree on every machine.
inline constexpr const char* kSansFamily = "DejaVu Sans";

// The Qt font for a model font: family, point size and weight.
QFont ToQFont(const forms::Font& font);

// A colour given as 0x00BBGGRR.
QColor ToQColor(int32_t bgr);

inline QString ToQString(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace setup::qt
