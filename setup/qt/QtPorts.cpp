#include "setup/qt/QtPorts.h"

#include <QApplication>
#include <QCoreApplication>
#include <QStyle>

#include "setup/qt/QtFonts.h"

namespace setup::qt {

void QtEventLoop::DoEvents() {
    if (lastPass_ && std::chrono::steady_clock::now() - *lastPass_ < interval_) {
        return;
    }
    QCoreApplication::processEvents();
    lastPass_ = std::chrono::steady_clock::now();
}

int32_t QtTextMeasure::GetSystemMetrics(int32_t index) {
    constexpr int32_t kSmCyHScroll = 3;
    if (index == forms::kSmCxVScroll || index == kSmCyHScroll) {
        return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    }
    return 0;  // unknown indexes give 0, as on the platform
}

int32_t QtTextMeasure::DrawTextCalcRectRight(const std::string& text, const forms::Font& font) {
    if (!metrics_ || !(metrics_->first == font)) {
        metrics_.emplace(font, QFontMetrics(ToQFont(font)));
    }
    return metrics_->second.horizontalAdvance(ToQString(text));
}

intptr_t QtShell::ShellExecute(const std::string& operation, const std::string& file,
                               const std::string& parameters, const std::string& directory,
                               int32_t showCommand) {
    return documents_.ShellExecute(operation, file, parameters, directory, showCommand);
}

void QtShell::SetSystemCursor(int32_t cursorId) {
    if (pointerWidget_ != nullptr) {
        pointerWidget_->setCursor(CursorForSystemId(cursorId));
    }
}

Qt::CursorShape CursorForSystemId(int32_t cursorId) {
    switch (cursorId) {
        case platform::IDC_HAND_VALUE:
            return Qt::PointingHandCursor;
        case 32513:  // IDC_IBEAM
            return Qt::IBeamCursor;
        case 32514:  // IDC_WAIT
            return Qt::WaitCursor;
        case 32515:  // IDC_CROSS
            return Qt::CrossCursor;
        default:
            return Qt::ArrowCursor;
    }
}

}  // namespace setup::qt
