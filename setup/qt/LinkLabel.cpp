#include "setup/qt/LinkLabel.h"

#include <QMouseEvent>

namespace setup::qt {

LinkLabel::LinkLabel(QWidget* parent) : QLabel(parent) {
    setMouseTracking(true);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
        click_) {
        click_();
    }
}

void LinkLabel::mouseMoveEvent(QMouseEvent* event) {
    QLabel::mouseMoveEvent(event);
    if (mouseMove_) {
        mouseMove_();
    }
}

}  // namespace setup::qt
