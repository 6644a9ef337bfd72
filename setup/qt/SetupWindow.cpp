#include "setup/qt/SetupWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QRadioButton>
#include <QTimer>

namespace setup::qt {

SetupWindow::SetupWindow(InstallForm& form, QtShell* shell)
    : form_(form), widgets_(BuildSetupWidgets(this)), binder_(std::make_unique<Binder>()) {
    BindControls(shell);
    resize(sizeHint().expandedTo(QSize(900, 640)));
}

SetupWindow::~SetupWindow() = default;

void SetupWindow::BindControls(QtShell* shell) {
    InstallForm& f = form_;
    const SetupWidgets& w = widgets_;
    Binder& b = *binder_;
    b.Window(f.Window(), this, [this] { HandleUnload(); });
    b.Button(f.Command1, w.Command1);
    b.Button(f.Command2, w.Command2);
    b.Button(f.Command3, w.Command3);
    b.Button(f.Command4, w.Command4);
    b.Button(f.Command5, w.Command5);
    b.Button(f.Command6, w.Command6);
    b.Button(f.Command7, w.Command7);
    b.Button(f.Command8, w.Command8);
    b.CheckBox(f.Check2, w.Check2);
    b.CheckBox(f.Check3, w.Check3);
    b.CheckBox(f.Check4, w.Check4);
    b.CheckBox(f.Check5, w.Check5);
    b.CheckBox(f.Check7, w.Check7);
    b.Frame(f.Frame1, w.Frame1);
    b.Option(f.Option1, w.Option1);
    b.Option(f.Option2, w.Option2);
    b.Label(f.Label2, w.Label2);
    b.Label(f.Label3, w.Label3);
    b.Label(f.Label7, w.Label7);
    b.Label(f.Label8, w.Label8);
    b.Label(f.Label9, w.Label9);
    b.Link(f.Label5, w.Label5, shell);
    b.List(f.SysMbxInstList, w.SysMbxInstList);
    b.List(f.SysMbxUninstList, w.SysMbxUninstList);
    b.List(f.MbxInstList, w.MbxInstList);
    b.List(f.MbxUninstList, w.MbxUninstList);
    b.Text(f.txtErr, w.txtErr);
    b.Picture(f.Picture1, w.Picture1);
}

bool SetupWindow::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::WindowActivate) {
        Activate();
    }
    return handled;
}

// A platform that shows the window without activating it (no window
// manager, or offscreen) still gets the first activation.
void SetupWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!activated_) {
        QTimer::singleShot(0, this, [this] {
            if (!activated_ && !closed_) {
                Activate();
            }
        });
    }
}

void SetupWindow::Activate() {
    const bool first = !activated_;
    activated_ = true;
    form_.Form_Activate();
    if (first && firstActivationDone_) {
        firstActivationDone_();
    }
}

// The close box unloads the form, as Exit does. A form that stays loaded
// for now (a walk ends first) closes the window when it unloads.
void SetupWindow::closeEvent(QCloseEvent* event) {
    if (!form_.Window().IsUnloaded()) {
        form_.Window().Unload();
    }
    event->setAccepted(form_.Window().IsUnloaded());
}

// The two options are one stop, as on Windows: Tab and Shift+Tab pass the
// one that is not selected.
bool SetupWindow::focusNextPrevChild(bool next) {
    const bool moved = QWidget::focusNextPrevChild(next);
    auto* option = qobject_cast<QRadioButton*>(QApplication::focusWidget());
    if (moved && option != nullptr && !option->isChecked()) {
        return QWidget::focusNextPrevChild(next);
    }
    return moved;
}

// The arrow keys move between the two options and select, as on Windows.
// Their group leaves the choice to the model, so the keys reach the window.
void SetupWindow::keyPressEvent(QKeyEvent* event) {
    QRadioButton* other = widgets_.Option1->hasFocus()   ? widgets_.Option2
                          : widgets_.Option2->hasFocus() ? widgets_.Option1
                                                         : nullptr;
    const int key = event->key();
    if (other != nullptr &&
        (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Left || key == Qt::Key_Right)) {
        other->setFocus(Qt::TabFocusReason);
        other->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SetupWindow::HandleUnload() {
    if (closed_) {
        return;
    }
    closed_ = true;
    close();
    if (unloaded_) {
        unloaded_();
    }
}

}  // namespace setup::qt
