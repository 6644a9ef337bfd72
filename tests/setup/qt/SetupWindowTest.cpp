#include <QApplication>
#include <QTest>

#include "setup/qt/QtFonts.h"
#include "tests/setup/qt/WindowFixture.h"

using guitest::WindowFixture;

namespace {

using WindowStart = WindowFixture;

TEST_F(WindowStart, ShowsTheCaptionsOfTheForm) {
    Open();
    EXPECT_EQ(window->windowTitle(), "Morvane setup");
    EXPECT_EQ(W().Check2->text(), "Register store-wide ");
    EXPECT_EQ(W().Check3->text(), "Register per-mailbox");
    EXPECT_EQ(W().Check4->text(), "Unregister per-mailbox");
    EXPECT_EQ(W().Check5->text(), "Unregister store-wide");
    EXPECT_EQ(W().Check7->text(), "Show disabled");
    for (QPushButton* button : {W().Command5, W().Command6, W().Command7, W().Command8}) {
        EXPECT_EQ(button->text(), "Select All");
    }
    EXPECT_EQ(W().Command1->text(), "CHANGE");
    EXPECT_EQ(W().Command2->text(), "Exit");
    EXPECT_EQ(W().Command3->text(), "Clear Error Log");
    EXPECT_EQ(W().Command4->text(), "Uninstall completely");
    EXPECT_EQ(W().Frame1->title(), "SCL value display format");
    EXPECT_EQ(W().Option1->text(), "SCL=<SCL value>");
    EXPECT_EQ(W().Option2->text(), "<SCL value>");
    EXPECT_EQ(W().Label7->text(), " Examples:");
    EXPECT_EQ(W().Label2->text(), "SCL=-1");
    EXPECT_EQ(W().Label8->text(), "SCL=6");
    EXPECT_EQ(W().Label3->text(), "-1");
    EXPECT_EQ(W().Label9->text(), "6");
    EXPECT_EQ(W().Label5->text(), "http://www.morvane.example/");
    EXPECT_EQ(W().Label5->toolTip(), "Click to open http://www.morvane.example/ ");
}

TEST_F(WindowStart, StartStateOfOptionsExamplesAndLogFollowsTheModel) {
    Open();
    EXPECT_EQ(W().Option1->isChecked(), form->Option1.Value());
    EXPECT_EQ(W().Option2->isChecked(), form->Option2.Value());
    EXPECT_EQ(W().Label2->font().bold(), form->Label2.FontBold());
    EXPECT_EQ(W().Label3->font().bold(), form->Label3.FontBold());
    EXPECT_EQ(W().Check7->isChecked(), form->Check7.Value() == 1);
    EXPECT_EQ(W().txtErr->isVisible(), form->txtErr.Visible());
    EXPECT_EQ(W().Command3->isVisible(), form->Command3.Visible());
    EXPECT_FALSE(W().Picture1->isVisible());
}

TEST_F(WindowStart, ShowingTheWindowRunsTheFirstActivationOnce) {
    Open();
    EXPECT_TRUE(window->HasBeenActivated());
    EXPECT_TRUE(form->blnNotFirstTime);
}

using WindowModelChanges = WindowFixture;

TEST_F(WindowModelChanges, CaptionsEnabledVisibleAndBoldShowAtOnce) {
    Open();
    form->Window().SetCaption("Morvane setup - batch mode");
    EXPECT_EQ(window->windowTitle(), "Morvane setup - batch mode");
    form->Command6.SetCaption("Deselect All");
    EXPECT_EQ(W().Command6->text(), "Deselect All");
    form->Check3.SetEnabled(false);
    EXPECT_FALSE(W().Check3->isEnabled());
    form->Command4.SetVisible(false);
    EXPECT_FALSE(W().Command4->isVisible());
    form->Label3.SetFontBold(true);
    EXPECT_TRUE(W().Label3->font().bold());
    form->Label2.SetFontBold(false);
    EXPECT_FALSE(W().Label2->font().bold());
    form->SysMbxUninstList.AddItem("EX1 / SG / STORE / SystemMailbox{1} / s@x.test / s");
    form->SysMbxUninstList.SetSelected(0, true);  // so the grey tick is not refused
    form->Check5.SetValue(2);
    EXPECT_EQ(W().Check5->checkState(), Qt::PartiallyChecked);
}

TEST_F(WindowModelChanges, TheHourglassPointerShowsOverTheWindowAndGoesAgain) {
    Open();
    form->Window().SetMousePointer(11);
    EXPECT_EQ(window->cursor().shape(), Qt::WaitCursor);
    form->Window().SetMousePointer(0);
    EXPECT_EQ(window->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(WindowModelChanges, TheErrorLogAppearsWithItsTextAndClearErrorLogEmptiesIt) {
    Open();
    form->Log().Clear();
    form->Log().AddMessage("Something failed");
    form->Log().UpdateVisibility();
    ASSERT_TRUE(W().txtErr->isVisible());
    ASSERT_TRUE(W().Command3->isVisible());
    EXPECT_EQ(W().txtErr->toPlainText().toStdString(),
              "[" + world.Now() + "] Something failed\n\n");
    guitest::ClickButton(W().Command3);
    EXPECT_EQ(form->txtErr.Text(), "");
    EXPECT_TRUE(W().txtErr->toPlainText().isEmpty());
    EXPECT_FALSE(W().txtErr->isVisible());
    EXPECT_FALSE(W().Command3->isVisible());
}

using WindowClicks = WindowFixture;

TEST_F(WindowClicks, ClickingACheckBoxIndicatorTicksAndUnticksTheModelsBox) {
    Open();
    form->Check2.SetEnabled(true);
    form->SysMbxInstList.SetEnabled(true);
    form->SysMbxInstList.AddItem("MAIL01 / SG / STORE / SystemMailbox{1} / s@x.com / Sys");
    form->SysMbxInstList.SetSelected(0, true);
    guitest::ClickIndicator(W().Check2);
    EXPECT_EQ(form->Check2.Value(), 1);
    EXPECT_TRUE(W().Check2->isChecked());
    guitest::ClickIndicator(W().Check2);
    EXPECT_EQ(form->Check2.Value(), 0);
    EXPECT_FALSE(W().Check2->isChecked());
}

TEST_F(WindowClicks, ADisabledCheckBoxIgnoresTheClick) {
    Open();
    form->Check4.SetEnabled(false);
    guitest::ClickIndicator(W().Check4);
    EXPECT_EQ(form->Check4.Value(), 0);
    EXPECT_FALSE(W().Check4->isChecked());
}

TEST_F(WindowClicks, ClickingAnOptionSelectsItInTheModel) {
    Open();
    world.shell.calls.clear();
    guitest::ClickIndicator(W().Option2);
    // The selection is saved and loaded back; the fake settings file keeps
    // nothing, so the load returns to Option1, and the widgets follow.
    EXPECT_TRUE(form->Option1.Value());
    EXPECT_FALSE(form->Option2.Value());
    EXPECT_TRUE(W().Option1->isChecked());
    EXPECT_FALSE(W().Option2->isChecked());
    EXPECT_TRUE(W().Label2->font().bold());
    EXPECT_FALSE(W().Label3->font().bold());
}

TEST_F(WindowClicks, ExitUnloadsTheFormAndClosesTheWindow) {
    Open();
    guitest::ClickButton(W().Command2);
    EXPECT_TRUE(form->Window().IsUnloaded());
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(unloadedCalls, 1);
    EXPECT_EQ(form->cnn, nullptr) << "unload released the connection";
}

TEST_F(WindowClicks, TheCloseBoxUnloadsTheFormAsExitDoes) {
    Open();
    window->close();
    EXPECT_TRUE(form->Window().IsUnloaded());
    EXPECT_EQ(unloadedCalls, 1);
}

TEST_F(WindowClicks, TheLinkShowsTheHandOverItAndOpensTheAddressWhenClicked) {
    Open();
    EXPECT_NE(W().Label5->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseMove(W().Label5, W().Label5->rect().center());
    guitest::Settle();
    EXPECT_EQ(W().Label5->cursor().shape(), Qt::PointingHandCursor)
        << "the form's mouse-move handler asked for the hand";
    world.shell.calls.clear();
    QTest::mouseClick(W().Label5, Qt::LeftButton, Qt::NoModifier, W().Label5->rect().center());
    ASSERT_EQ(world.shell.calls.size(), 1u);
    EXPECT_EQ(world.shell.calls[0], "ShellExecute open|http://www.morvane.example/|||1");
}

using WindowKeyboard = WindowFixture;

// With every control usable and the log shown, Tab walks the window top
// left to bottom right and Shift+Tab walks back.
TEST_F(WindowKeyboard, TabFollowsTheWindowTopLeftToBottomRight) {
    const QStringList order = {"Check2",      "Command5",         "SysMbxInstList", "Check5",
                               "Command8",    "SysMbxUninstList", "Check3",         "Command6",
                               "MbxInstList", "Check4",           "Command7",       "MbxUninstList",
                               "Check7",      "Option1",          "Command1",       "Command4",
                               "Command2",    "txtErr",           "Command3"};
    Open();
    const auto usable = std::find_if(order.begin(), order.end(), [this](const QString& name) {
        return window->findChild<QWidget*>(name)->isEnabled();
    });
    EXPECT_EQ(QApplication::focusWidget()->objectName(), *usable) << "the window opens on it";
    for (setup::forms::Control* control : std::initializer_list<setup::forms::Control*>{
             &form->Check2, &form->Check3, &form->Check4, &form->Check5, &form->Check7,
             &form->Command5, &form->Command6, &form->Command7, &form->Command8})
        control->SetEnabled(true);
    form->Log().AddMessage("shown");
    form->Log().UpdateVisibility();
    W().Check2->setFocus();
    QStringList forward = {QApplication::focusWidget()->objectName()};
    while (forward.size() < order.size()) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        forward << QApplication::focusWidget()->objectName();
    }
    QStringList backward = {forward.last()};
    while (backward.size() < order.size()) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        backward.prepend(QApplication::focusWidget()->objectName());
    }
    EXPECT_EQ(forward.join(' ').toStdString(), order.join(' ').toStdString());
    EXPECT_EQ(backward.join(' ').toStdString(), order.join(' ').toStdString());
    W().Option1->setFocus();
    QTest::keyClick(W().Option1, Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget(), W().Option2) << "the arrow keys move between options";
}

TEST_F(WindowKeyboard, AnEmptyListShowsThatItHasTheFocus) {
    Open();
    form->MbxInstList.SetEnabled(true);
    form->MbxInstList.Clear();
    W().Check2->setFocus();
    const QImage without = W().MbxInstList->grab().toImage();
    W().MbxInstList->setFocus();
    EXPECT_NE(W().MbxInstList->grab().toImage(), without);
}

using WindowProgress = WindowFixture;

TEST_F(WindowProgress, ThePictureBoxDrawsOnTheWidgetsBitmap) {
    Open();
    form->Picture1.SetVisible(true);
    guitest::Settle();
    const QSize inside = W().Picture1->contentsRect().size();
    EXPECT_EQ(form->Picture1.ScaleWidth(), inside.width());
    EXPECT_EQ(form->Picture1.ScaleHeight(), inside.height());
    form->Picture1.SetScaleWidth(2);
    form->Picture1.Cls();
    form->Picture1.LineBoxFilled(0, 0, 1, form->Picture1.ScaleHeight(), 0xFF0000);
    const QImage& image = W().Picture1->Canvas().Image();
    EXPECT_EQ(image.pixel(1, 1), 0xFF0000FF);
    EXPECT_EQ(image.pixel(inside.width() - 2, 1), 0xFFFFFFFF);
}

}  // namespace

namespace {

using WindowBatch = WindowFixture;

TEST_F(WindowBatch, BatchModeRunsItsJobInTheFirstActivationAndClosesTheWindow) {
    Open("-b");
    EXPECT_EQ(window->windowTitle(), "Morvane setup - batch mode");
    EXPECT_TRUE(form->Window().IsUnloaded());
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(unloadedCalls, 1);
}

using WindowLifetime = WindowFixture;

TEST_F(WindowLifetime, AClosedWindowLeavesTheModelWithoutItsWidgets) {
    Open();
    window.reset();
    EXPECT_EQ(form->Picture1.TextWidth("100%"), 0) << "the picture box no longer has a canvas";
    form->Check2.SetEnabled(false);  // no listener of the gone window runs
    form->MbxInstList.AddItem("still works");
    EXPECT_EQ(form->MbxInstList.ListCount(), 1);
}

}  // namespace
