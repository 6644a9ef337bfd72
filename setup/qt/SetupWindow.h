#pragma once

#include <QWidget>
#include <functional>
#include <memory>

#include "setup/InstallForm.h"
#include "setup/qt/Bindings.h"
#include "setup/qt/SetupWidgets.h"

namespace setup::qt {

// The setup program's window on Qt: the form's controls as widgets, bound
// to the model both ways. It holds no logic of its own: activation, the
// close box and every click go to the form, and when the form unloads the
// window closes.
class SetupWindow : public QWidget {
  public:
    // shell, when given, learns which widget is under the mouse pointer.
    SetupWindow(InstallForm& form, QtShell* shell);
    ~SetupWindow() override;
    SetupWindow(const SetupWindow&) = delete;
    SetupWindow& operator=(const SetupWindow&) = delete;

    const SetupWidgets& Widgets() const { return widgets_; }
    // Called once the form has unloaded and the window has closed.
    void OnUnloaded(std::function<void()> handler) { unloaded_ = std::move(handler); }
    // Called once, after the first activation's work has returned.
    void OnFirstActivationDone(std::function<void()> handler) {
        firstActivationDone_ = std::move(handler);
    }
    bool HasBeenActivated() const { return activated_; }

  protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void BindControls(QtShell* shell);
    // The window system's activation of the window.
    void Activate();
    void HandleUnload();

    InstallForm& form_;
    SetupWidgets widgets_;
    bool activated_ = false;
    bool closed_ = false;
    std::function<void()> unloaded_;
    std::function<void()> firstActivationDone_;
    // Last, so that it unbinds before anything else goes.
    std::unique_ptr<Binder> binder_;
};

}  // namespace setup::qt
