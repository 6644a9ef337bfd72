#pragma once

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <functional>
#include <vector>

#include "setup/forms/Buttons.h"
#include "setup/forms/Form.h"
#include "setup/forms/ListBox.h"
#include "setup/forms/PictureBox.h"
#include "setup/qt/ExtentListWidget.h"
#include "setup/qt/LinkLabel.h"
#include "setup/qt/ProgressView.h"
#include "setup/qt/QtPorts.h"
#include "setup/qt/Subscription.h"

namespace setup::qt {

// Binds model controls to widgets, both ways: a change of the model shows
// in the widget at once, and the user's action on the widget reaches the
// model's User* entry point. Every binding lives as long as the binder;
// the binder must go before the model and the widgets.
class Binder {
  public:
    Binder() = default;
    ~Binder();
    Binder(const Binder&) = delete;
    Binder& operator=(const Binder&) = delete;

    void Window(forms::Form& form, QWidget* window, std::function<void()> unloaded);
    void Button(forms::CommandButton& button, QPushButton* widget);
    void CheckBox(forms::CheckBox& box, QCheckBox* widget);
    void Option(forms::OptionButton& option, QRadioButton* widget);
    void Label(forms::Label& label, QLabel* widget);
    // A label that opens a link: clicks and mouse moves reach the model; a
    // mouse move names the label as the widget under the pointer.
    void Link(forms::Label& label, LinkLabel* widget, QtShell* shell);
    void Frame(forms::Frame& frame, QGroupBox* widget);
    void List(forms::ListBox& list, ExtentListWidget* widget);
    void Text(forms::TextBox& text, QPlainTextEdit* widget);
    void Picture(forms::PictureBox& picture, ProgressView* widget);

  private:
    using Extra = std::function<void(forms::Property)>;
    // Enabled, visible, font and the control-specific properties.
    void Common(forms::Control& control, QWidget* widget, Extra extra);

    std::vector<Subscription> subscriptions_;
    // Undone when the binder goes (a picture box's canvas).
    std::vector<std::function<void()>> releases_;
};

// The Qt cursor for a form's mouse pointer value; false when the value
// means the default pointer.
bool CursorForPointer(int pointer, Qt::CursorShape& shape);

}  // namespace setup::qt
