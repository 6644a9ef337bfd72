#include "setup/qt/SetupWidgets.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <iterator>

#include "setup/qt/QtOwnership.h"

namespace setup::qt {

namespace {

template <typename Widget>
Widget* Named(QWidget* parent, const char* name) {
    auto* widget = MakeOwned<Widget>(parent);
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// Widgets that come and go keep their place, so the window does not jump.
void KeepPlaceWhenHidden(QWidget* widget) {
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
}

// One list under its operation check box and its "Select All" button.
QVBoxLayout* ListPanel(QCheckBox* operation, QPushButton* selectAll, ExtentListWidget* list) {
    auto* header = MakeOwned<QHBoxLayout>();
    header->addWidget(operation);
    header->addStretch(1);
    header->addWidget(selectAll);
    auto* panel = MakeOwned<QVBoxLayout>();
    panel->addLayout(header);
    panel->addWidget(list, 1);
    list->setMinimumSize(360, 130);
    return panel;
}

void CreateWidgets(QWidget* window, SetupWidgets& w) {
    w.Command1 = Named<QPushButton>(window, "Command1");
    w.Command2 = Named<QPushButton>(window, "Command2");
    w.Command3 = Named<QPushButton>(window, "Command3");
    w.Command4 = Named<QPushButton>(window, "Command4");
    w.Command5 = Named<QPushButton>(window, "Command5");
    w.Command6 = Named<QPushButton>(window, "Command6");
    w.Command7 = Named<QPushButton>(window, "Command7");
    w.Command8 = Named<QPushButton>(window, "Command8");
    w.Check2 = Named<QCheckBox>(window, "Check2");
    w.Check3 = Named<QCheckBox>(window, "Check3");
    w.Check4 = Named<QCheckBox>(window, "Check4");
    w.Check5 = Named<QCheckBox>(window, "Check5");
    w.Check7 = Named<QCheckBox>(window, "Check7");
    w.Frame1 = Named<QGroupBox>(window, "Frame1");
    w.Option1 = Named<QRadioButton>(w.Frame1, "Option1");
    w.Option2 = Named<QRadioButton>(w.Frame1, "Option2");
    w.Label2 = Named<QLabel>(w.Frame1, "Label2");
    w.Label3 = Named<QLabel>(w.Frame1, "Label3");
    w.Label7 = Named<QLabel>(w.Frame1, "Label7");
    w.Label8 = Named<QLabel>(w.Frame1, "Label8");
    w.Label9 = Named<QLabel>(w.Frame1, "Label9");
    w.Label5 = Named<LinkLabel>(window, "Label5");
    w.SysMbxInstList = Named<ExtentListWidget>(window, "SysMbxInstList");
    w.SysMbxUninstList = Named<ExtentListWidget>(window, "SysMbxUninstList");
    w.MbxInstList = Named<ExtentListWidget>(window, "MbxInstList");
    w.MbxUninstList = Named<ExtentListWidget>(window, "MbxUninstList");
    w.txtErr = Named<QPlainTextEdit>(window, "txtErr");
    w.Picture1 = Named<ProgressView>(window, "Picture1");
}

QGridLayout* ListGrid(const SetupWidgets& w) {
    auto* grid = MakeOwned<QGridLayout>();
    grid->setHorizontalSpacing(16);
    grid->addLayout(ListPanel(w.Check2, w.Command5, w.SysMbxInstList), 0, 0);
    grid->addLayout(ListPanel(w.Check5, w.Command8, w.SysMbxUninstList), 0, 1);
    grid->addLayout(ListPanel(w.Check3, w.Command6, w.MbxInstList), 1, 0);
    grid->addLayout(ListPanel(w.Check4, w.Command7, w.MbxUninstList), 1, 1);
    return grid;
}

// The display format: each option beside its pair of examples.
void LayOutFrame(const SetupWidgets& w) {
    auto* grid = MakeOwned<QGridLayout>(w.Frame1);
    grid->setHorizontalSpacing(14);
    grid->addWidget(w.Label7, 0, 1, 1, 2);
    grid->addWidget(w.Option1, 1, 0);
    grid->addWidget(w.Label2, 1, 1);
    grid->addWidget(w.Label8, 1, 2);
    grid->addWidget(w.Option2, 2, 0);
    grid->addWidget(w.Label3, 2, 1);
    grid->addWidget(w.Label9, 2, 2);
    grid->setColumnStretch(3, 1);
}

QHBoxLayout* CommandRow(const SetupWidgets& w) {
    LayOutFrame(w);
    auto* left = MakeOwned<QVBoxLayout>();
    left->addWidget(w.Check7);
    left->addStretch(1);
    auto* commands = MakeOwned<QVBoxLayout>();
    for (QPushButton* button : {w.Command1, w.Command4, w.Command2}) {
        button->setMinimumWidth(170);
        commands->addWidget(button);
    }
    commands->addStretch(1);
    auto* row = MakeOwned<QHBoxLayout>();
    row->addLayout(left);
    row->addSpacing(12);
    row->addWidget(w.Frame1);
    row->addStretch(1);
    row->addLayout(commands);
    return row;
}

QHBoxLayout* LogRow(const SetupWidgets& w) {
    w.txtErr->setFixedHeight(96);
    KeepPlaceWhenHidden(w.txtErr);
    KeepPlaceWhenHidden(w.Command3);
    auto* side = MakeOwned<QVBoxLayout>();
    side->addWidget(w.Command3);
    side->addStretch(1);
    auto* row = MakeOwned<QHBoxLayout>();
    row->addWidget(w.txtErr, 1);
    row->addLayout(side);
    return row;
}

// Tab and Shift+Tab follow the window top left to bottom right, each list
// after its operation box and its "Select All" button.
void SetKeyboardOrder(const SetupWidgets& w) {
    QWidget* const order[] = {w.Check2,      w.Command5,         w.SysMbxInstList, w.Check5,
                              w.Command8,    w.SysMbxUninstList, w.Check3,         w.Command6,
                              w.MbxInstList, w.Check4,           w.Command7,       w.MbxUninstList,
                              w.Check7,      w.Option1,          w.Option2,        w.Command1,
                              w.Command4,    w.Command2,         w.txtErr,         w.Command3};
    for (size_t i = 1; i < std::size(order); ++i) {
        QWidget::setTabOrder(order[i - 1], order[i]);
    }
}

// The two options form a group for the arrow keys (see SetupWindow); the
// group leaves the choice to the model: it is not exclusive.
void GroupOptions(QWidget* window, const SetupWidgets& w) {
    auto* group = MakeOwned<QButtonGroup>(window);
    group->setExclusive(false);
    group->addButton(w.Option1);
    group->addButton(w.Option2);
}

// A list or the log with the focus shows it in its border, also while it
// holds no entry on which the focus could show.
void ShowFocusOnBorders(const SetupWidgets& w) {
    const QString border = QStringLiteral(
        "%1 { border: 1px solid palette(mid); }"
        " %1:focus { border: 1px solid palette(highlight); }");
    for (ExtentListWidget* list :
         {w.SysMbxInstList, w.SysMbxUninstList, w.MbxInstList, w.MbxUninstList}) {
        list->setStyleSheet(border.arg(QStringLiteral("QListView")));
    }
    w.txtErr->setStyleSheet(border.arg(QStringLiteral("QPlainTextEdit")));
}

}  // namespace

SetupWidgets BuildSetupWidgets(QWidget* window) {
    SetupWidgets w;
    CreateWidgets(window, w);
    w.Picture1->setFixedHeight(24);
    KeepPlaceWhenHidden(w.Picture1);
    auto* root = MakeOwned<QVBoxLayout>(window);
    root->setContentsMargins(12, 12, 12, 10);
    root->addLayout(ListGrid(w), 1);
    root->addLayout(CommandRow(w));
    root->addWidget(w.Picture1);
    root->addLayout(LogRow(w));
    root->addWidget(w.Label5, 0, Qt::AlignRight);
    SetKeyboardOrder(w);
    GroupOptions(window, w);
    ShowFocusOnBorders(w);
    return w;
}

}  // namespace setup::qt
