#pragma once

#include <QFrame>

#include "setup/qt/RasterCanvas.h"

namespace setup::qt {

// The widget of the progress box: a sunken frame that shows the retained
// bitmap it draws on. The bitmap follows the widget's size; a new bitmap
// starts in the background colour.
class ProgressView : public QFrame {
  public:
    explicit ProgressView(QWidget* parent = nullptr);

    RasterCanvas& Canvas() { return canvas_; }
    void SetBackColor(int32_t backColor) { backColor_ = backColor; }
    // Schedules a repaint from the bitmap, once until it is painted: the
    // progress bar draws four times a record.
    void RequestRepaint();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    int32_t backColor_ = 0xFFFFFF;
    bool repaintRequested_ = false;
    RasterCanvas canvas_;
};

}  // namespace setup::qt
