#include "tests/setup/qt/GuiTestSupport.h"

#include <QApplication>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QTimer>
#include <functional>

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

std::shared_ptr<SeenMessageBox> AnswerNextMessageBox(QMessageBox::StandardButton answer) {
    auto seen = std::make_shared<SeenMessageBox>();
    auto attempts = std::make_shared<int>(0);
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [seen, attempts, poll, answer] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            if (++*attempts < 500) {
                QTimer::singleShot(10, *poll);
            } else {
                *poll = nullptr;  // gives up; the test sees shown == false
            }
            return;
        }
        Record(box, *seen);
        if (answer == QMessageBox::NoButton) {
            box->close();
        } else {
            box->button(answer)->click();
        }
        *poll = nullptr;
    };
    QTimer::singleShot(0, *poll);
    return seen;
}

}  // namespace guitest
