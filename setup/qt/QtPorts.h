#pragma once

#include <QFontMetrics>
#include <QPointer>
#include <QWidget>
#include <chrono>
#include <optional>
#include <utility>

#include "platform/Shell.h"
#include "setup/forms/Ports.h"

// The window system's services for the setup form, over Qt.
namespace setup::qt {

// DoEvents: processes the pending events once, unless it did so less than
// an interval ago. The mailbox walk calls it once a record, thousands of
// times a second, and every pass repaints what changed since the last:
// the window still answers within the interval, and the screen shows the
// progress as often as the eye can follow.
class QtEventLoop : public forms::EventLoop {
  public:
    static constexpr std::chrono::milliseconds kDefaultInterval{40};

    explicit QtEventLoop(std::chrono::milliseconds interval = kDefaultInterval)
        : interval_(interval) {}
    void DoEvents() override;

  private:
    std::chrono::milliseconds interval_;
    std::optional<std::chrono::steady_clock::time_point> lastPass_;
};

// Scroll-bar width from the style, text widths from the font's metrics.
// The metrics of the font last asked about are kept: the lists' extents
// measure every entry in one font.
class QtTextMeasure : public forms::TextMeasure {
  public:
    int32_t GetSystemMetrics(int32_t index) override;
    int32_t DrawTextCalcRectRight(const std::string& text, const forms::Font& font) override;

  private:
    std::optional<std::pair<forms::Font, QFontMetrics>> metrics_;
};

// The shell: opening documents goes to the platform's shell; the system
// cursor is set on the widget under the mouse pointer, which the window
// names while it forwards a mouse move (SetPointerWidget).
class QtShell : public platform::Shell {
  public:
    explicit QtShell(platform::Shell& documents) : documents_(documents) {}

    void SetPointerWidget(QWidget* widget) { pointerWidget_ = widget; }

    intptr_t ShellExecute(const std::string& operation, const std::string& file,
                          const std::string& parameters, const std::string& directory,
                          int32_t showCommand) override;
    void SetSystemCursor(int32_t cursorId) override;

  private:
    platform::Shell& documents_;
    QPointer<QWidget> pointerWidget_;
};

// The Qt cursor for a system cursor id (IDC_*).
Qt::CursorShape CursorForSystemId(int32_t cursorId);

}  // namespace setup::qt
