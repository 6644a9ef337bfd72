#include "setup/qt/QtFonts.h"

namespace setup::qt {

QFont ToQFont(const forms::Font& font) {
    QFont result(QString::fromLatin1(kSansFamily));
    result.setPointSizeF(font.size > 0 ? font.size : 8.25);
    result.setBold(font.bold);
    return result;
}

QColor ToQColor(int32_t bgr) {
    const auto value = static_cast<uint32_t>(bgr);
    return QColor(static_cast<int>(value & 0xFFu), static_cast<int>((value >> 8) & 0xFFu),
                  static_cast<int>((value >> 16) & 0xFFu));
}

}  // namespace setup::qt
