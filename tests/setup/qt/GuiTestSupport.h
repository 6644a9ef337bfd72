#pragma once

#include <QAbstractButton>
#include <QCheckBox>
#include <QListWidget>
#include <QMessageBox>
#include <QString>
#include <memory>

// Clicking real widgets and answering message boxes in GUI tests.
namespace guitest {

// Clicks the indicator square of a check box or option button.
void ClickIndicator(QAbstractButton* button);
// Clicks the middle of a button.
void ClickButton(QAbstractButton* button);
// Clicks the entry at row of a list.
void ClickListRow(QListWidget* list, int row);
// Runs the event loop until nothing is pending.
void Settle();

// What a message box showed, read when it was answered.
struct SeenMessageBox {
    bool shown = false;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

// Answers the next message box that opens (within a few seconds) by
// clicking answer on it, or by closing it when answer is NoButton. The
// result fills in when it was answered.
std::shared_ptr<SeenMessageBox> AnswerNextMessageBox(QMessageBox::StandardButton answer);

}  // namespace guitest
