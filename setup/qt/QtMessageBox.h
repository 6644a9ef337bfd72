#pragma once

#include <QMessageBox>
#include <QPointer>
#include <vector>

#include "setup/forms/Ports.h"

namespace setup::qt {

// How a message box style (the platform's MB_* bits) looks in Qt: the
// icon, the buttons in order and which of them is the default.
struct MessageBoxLook {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    std::vector<QMessageBox::StandardButton> buttons;
    size_t defaultButton = 0;
};

MessageBoxLook LookForStyle(int32_t style);
// The answer value (1 = OK ... 7 = No) of a pressed button.
int32_t AnswerForButton(QMessageBox::StandardButton button);
// The text with the platform's line breaks (CR LF, or a lone CR) as Qt's.
QString MessageText(const std::string& text);

// The message-box port as modal Qt message boxes over the window.
class QtMessageBox : public forms::MessageBox {
  public:
    void SetParent(QWidget* parent) { parent_ = parent; }
    int32_t Show(const std::string& text, int32_t style, const std::string& title) override;

  private:
    QPointer<QWidget> parent_;
};

}  // namespace setup::qt
