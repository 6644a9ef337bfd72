#pragma once

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "setup/qt/ExtentListWidget.h"
#include "setup/qt/LinkLabel.h"
#include "setup/qt/ProgressView.h"

namespace setup::qt {

// The widgets of the setup window, one for each control of the form, each
// named (objectName) after its control. The window owns them.
struct SetupWidgets {
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command5 = nullptr;
    QPushButton* Command6 = nullptr;
    QPushButton* Command7 = nullptr;
    QPushButton* Command8 = nullptr;
    QCheckBox* Check2 = nullptr;
    QCheckBox* Check3 = nullptr;
    QCheckBox* Check4 = nullptr;
    QCheckBox* Check5 = nullptr;
    QCheckBox* Check7 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    LinkLabel* Label5 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label9 = nullptr;
    ExtentListWidget* SysMbxInstList = nullptr;
    ExtentListWidget* SysMbxUninstList = nullptr;
    ExtentListWidget* MbxInstList = nullptr;
    ExtentListWidget* MbxUninstList = nullptr;
    QPlainTextEdit* txtErr = nullptr;
    ProgressView* Picture1 = nullptr;
};

// Creates the widgets as children of window and lays them out the way an
// administrator reads the window: the four lists in two rows (system
// mailboxes above, user mailboxes below; not registered on the left,
// registered on the right), each under its operation check box and its
// "Select All" button; then the options and the commands; then the
// progress box, the error log and the link.
SetupWidgets BuildSetupWidgets(QWidget* window);

}  // namespace setup::qt
