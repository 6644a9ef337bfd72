#include "tests/setup/qt/GuiTestSupport.h"

#include "setup/qt/QtOwnership.h"

#include <QApplication>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QTimer>

namespace guitest {

void ClickIndicator(QAbstractButton* button) {
    QStyleOptionButton option;
    option.initFrom(button);
    const bool isCheckBox = qobject_cast<QCheckBox*>(button) != nullptr;
    const QRect indicator = button->style()->subElementRect(
        isCheckBox ? QStyle::SE_CheckBoxIndicator : QStyle::SE_RadioButtonIndicator, &option,
        button);
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, indicator.center());
}

void ClickButton(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, button->rect().center());
}

void ClickListRow(QListWidget* list, int row) {
    const QRect place = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, place.center());
}

void Settle() {
    for (int pass = 0; pass < 3; ++pass) {
        QApplication::processEvents();
    }
}

namespace {

void Record(QMessageBox* box, SeenMessageBox& seen) {
    seen.shown = true;
    seen.title = box->windowTitle();
    seen.text = box->text();
    seen.icon = box->icon();
    seen.buttons = box->standardButtons();
    seen.defaultButton = box->defaultButton() != nullptr ? box->standardButton(box->defaultButton())
                                                         : QMessageBox::NoButton;
}

}  // namespace

// Polls for the box with a timer that the application owns, so a box that
// never opens leaves nothing behind when the test program ends.
std::shared_ptr<SeenMessageBox> AnswerNextMessageBox(QMessageBox::StandardButton answer) {
    auto seen = std::make_shared<SeenMessageBox>();
    auto* timer = setup::qt::MakeOwned<QTimer>(QApplication::instance());
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [seen, timer, answer, attempts = 0]() mutable {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr && ++attempts < 500) {
            return;
        }
        timer->stop();
        timer->deleteLater();
        if (box == nullptr) {
            return;  // gives up; the test sees shown == false
        }
        Record(box, *seen);
        if (answer == QMessageBox::NoButton) {
            box->close();
        } else {
            box->button(answer)->click();
        }
    });
    timer->start();
    return seen;
}

}  // namespace guitest
