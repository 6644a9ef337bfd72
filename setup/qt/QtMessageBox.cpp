#include "setup/qt/QtMessageBox.h"

#include <QPushButton>

#include "setup/qt/QtFonts.h"

namespace setup::qt {

namespace {

using Button = QMessageBox::StandardButton;

std::vector<Button> ButtonsForStyle(int32_t style) {
    switch (style & 0xF) {
        case 1:
            return {QMessageBox::Ok, QMessageBox::Cancel};
        case 2:
            return {QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore};
        case 3:
            return {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
        case forms::kMsgYesNo:
            return {QMessageBox::Yes, QMessageBox::No};
        case 5:
            return {QMessageBox::Retry, QMessageBox::Cancel};
        default:
            return {QMessageBox::Ok};
    }
}

QMessageBox::Icon IconForStyle(int32_t style) {
    switch (style & 0x70) {
        case 16:
            return QMessageBox::Critical;
        case 32:
            return QMessageBox::Question;
        case forms::kMsgExclamation:
            return QMessageBox::Warning;
        case forms::kMsgInformation:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

}  // namespace

MessageBoxLook LookForStyle(int32_t style) {
    MessageBoxLook look;
    look.icon = IconForStyle(style);
    look.buttons = ButtonsForStyle(style);
    const auto wanted = static_cast<size_t>((style & 0x300) >> 8);
    look.defaultButton = wanted < look.buttons.size() ? wanted : 0;
    return look;
}

int32_t AnswerForButton(QMessageBox::StandardButton button) {
    switch (button) {
        case QMessageBox::Cancel:
            return 2;
        case QMessageBox::Abort:
            return 3;
        case QMessageBox::Retry:
            return 4;
        case QMessageBox::Ignore:
            return 5;
        case QMessageBox::Yes:
            return forms::kAnswerYes;
        case QMessageBox::No:
            return forms::kAnswerNo;
        default:
            return forms::kAnswerOk;
    }
}

QString MessageText(const std::string& text) {
    QString result = ToQString(text);
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    result.replace(QChar('\r'), QChar('\n'));
    return result;
}

int32_t QtMessageBox::Show(const std::string& text, int32_t style, const std::string& title) {
    const MessageBoxLook look = LookForStyle(style);
    QMessageBox box(look.icon, ToQString(title), MessageText(text), QMessageBox::NoButton,
                    parent_.data());
    box.setTextFormat(Qt::PlainText);
    for (Button button : look.buttons) {
        box.addButton(button);
    }
    box.setDefaultButton(look.buttons[look.defaultButton]);
    box.exec();
    const auto pressed = box.standardButton(box.clickedButton());
    // Closed without a button: the box's escape button counts.
    return AnswerForButton(pressed == QMessageBox::NoButton ? look.buttons.back() : pressed);
}

}  // namespace setup::qt
