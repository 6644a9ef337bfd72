#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QStyle>
#include <QTimer>

#include "setup/SystemPorts.h"
#include "setup/qt/QtFonts.h"
#include "setup/qt/QtPorts.h"
#include "tests/setup/FakePorts.h"

using setup::forms::Font;

namespace {

TEST(QtEventLoopPort, DoEventsRunsWhatIsPending) {
    bool ran = false;
    QTimer::singleShot(0, [&ran] { ran = true; });
    setup::qt::QtEventLoop loop;
    loop.DoEvents();
    EXPECT_TRUE(ran);
}

// The walk calls DoEvents once a record: within the interval of the last
// pass it leaves the events for the next, so the window is not repainted
// thousands of times a second; after it, it runs them.
TEST(QtEventLoopPort, DoEventsWithinTheIntervalLeavesTheEventsForTheNextPass) {
    int runs = 0;
    setup::qt::QtEventLoop slow(std::chrono::hours(1));
    slow.DoEvents();
    QTimer::singleShot(0, [&runs] { ++runs; });
    slow.DoEvents();
    EXPECT_EQ(runs, 0);
    setup::qt::QtEventLoop eager(std::chrono::milliseconds(0));
    eager.DoEvents();
    EXPECT_EQ(runs, 1);
}

TEST(QtTextMeasurePort, TextWidthIsTheListFontsAdvanceAndGrowsWithTheText) {
    setup::qt::QtTextMeasure measure;
    const Font font{"MS Sans Serif", false, 8.25};
    const std::string entry = "EX1 / FIRST STORAGE GROUP / MAILBOX STORE / Anna Berger";
    EXPECT_EQ(
        measure.DrawTextCalcRectRight(entry, font),
        QFontMetrics(setup::qt::ToQFont(font)).horizontalAdvance(QString::fromStdString(entry)));
    EXPECT_GT(measure.DrawTextCalcRectRight(entry + " / a@b.c", font),
              measure.DrawTextCalcRectRight(entry, font));
    Font bold = font;
    bold.bold = true;
    EXPECT_GT(measure.DrawTextCalcRectRight(entry, bold),
              measure.DrawTextCalcRectRight(entry, font));
    EXPECT_EQ(measure.DrawTextCalcRectRight("", font), 0);
}

TEST(QtTextMeasurePort, VerticalScrollBarWidthComesFromTheStyle) {
    setup::qt::QtTextMeasure measure;
    const int expected = QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    EXPECT_GT(expected, 0);
    EXPECT_EQ(measure.GetSystemMetrics(2), expected);
    EXPECT_EQ(measure.GetSystemMetrics(9999), 0);
}

TEST(QtShellPort, DocumentsGoToThePlatformShellAndCursorsToTheNamedWidget) {
    setupfakes::FakeShell platformShell;
    setup::qt::QtShell shell(platformShell);
    EXPECT_EQ(shell.ShellExecute("open", "http://x/", "", "", 1), 42);
    ASSERT_EQ(platformShell.calls.size(), 1u);
    EXPECT_EQ(platformShell.calls[0], "ShellExecute open|http://x/|||1");
    shell.SetSystemCursor(32649);  // no widget named: nothing to change
    QWidget widget;
    shell.SetPointerWidget(&widget);
    shell.SetSystemCursor(32649);
    EXPECT_EQ(widget.cursor().shape(), Qt::PointingHandCursor);
    shell.SetSystemCursor(32514);
    EXPECT_EQ(widget.cursor().shape(), Qt::WaitCursor);
    EXPECT_EQ(platformShell.calls.size(), 1u);
}

TEST(SystemPortsLink, TheLinkIsTheMakersWebAddressNotAPathOfThisMachine) {
    setupfakes::FakeMessageBox messageBox;
    setupfakes::FakeEventLoop eventLoop;
    setupfakes::FakeTextMeasure textMeasure;
    const std::string address = setup::SystemPorts(messageBox, eventLoop, textMeasure).linkAddress;
    EXPECT_EQ(address.rfind("http://", 0), 0u) << address;
}

TEST(QtFontsConversion, ColoursAreReadInTheBgrOrder) {
    EXPECT_EQ(setup::qt::ToQColor(0xFF0000), QColor(0, 0, 255));
    EXPECT_EQ(setup::qt::ToQColor(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(setup::qt::ToQColor(0xFFFFFF), QColor(255, 255, 255));
}

TEST(QtFontsConversion, ModelFontsKeepSizeAndWeight) {
    const QFont font = setup::qt::ToQFont(Font{"Arial", true, 10});
    EXPECT_TRUE(font.bold());
    EXPECT_DOUBLE_EQ(font.pointSizeF(), 10.0);
    EXPECT_FALSE(setup::qt::ToQFont(Font{}).bold());
}

}  // namespace
