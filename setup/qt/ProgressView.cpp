#include "setup/qt/ProgressView.h"

#include <QPainter>

namespace setup::qt {

ProgressView::ProgressView(QWidget* parent) : QFrame(parent), canvas_(QSize(1, 1)) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    canvas_.OnRefresh([this] { repaint(); });
}

void ProgressView::RequestRepaint() {
    if (!repaintRequested_) {
        repaintRequested_ = true;
        update();
    }
}

void ProgressView::paintEvent(QPaintEvent* event) {
    repaintRequested_ = false;
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.drawImage(contentsRect().topLeft(), canvas_.Image());
}

void ProgressView::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    if (contentsRect().size() != canvas_.Image().size()) {
        canvas_.Resize(contentsRect().size(), backColor_);
    }
}

}  // namespace setup::qt
