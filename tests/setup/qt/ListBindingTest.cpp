#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QScrollBar>
#include <QTest>

#include "setup/qt/Bindings.h"
#include "setup/qt/QtOwnership.h"
#include "tests/setup/qt/GuiTestSupport.h"

using setup::forms::ListBox;
using setup::qt::Binder;
using setup::qt::ExtentListWidget;

namespace {

struct ListBindingFixture : ::testing::Test {
    ListBox list{"MbxInstList"};
    QWidget window;
    ExtentListWidget* widget = setup::qt::MakeOwned<ExtentListWidget>(&window);
    std::unique_ptr<Binder> binder = std::make_unique<Binder>();

    void SetUp() override {
        widget->setGeometry(0, 0, 300, 200);
        binder->List(list, widget);
        window.resize(320, 220);
        window.show();
        guitest::Settle();
    }
    void TearDown() override { binder.reset(); }
    void Fill(int count) {
        for (int i = 0; i < count; ++i) {
            list.AddItem("MAIL01 / SG / STORE / User " + std::to_string(i) + " / u" +
                         std::to_string(i) + "@corp.example.com / u" + std::to_string(i));
        }
        guitest::Settle();
    }
    bool WidgetSelected(int row) { return widget->item(row)->isSelected(); }
};

using ListEntries = ListBindingFixture;

TEST_F(ListEntries, AddedEntriesAppearInOrderAndClearEmptiesTheWidget) {
    Fill(3);
    ASSERT_EQ(widget->count(), 3);
    EXPECT_EQ(widget->item(0)->text().toStdString(), list.List(0));
    EXPECT_EQ(widget->item(2)->text().toStdString(), list.List(2));
    list.Clear();
    EXPECT_EQ(widget->count(), 0);
    list.AddItem("only");
    ASSERT_EQ(widget->count(), 1);
    EXPECT_EQ(widget->item(0)->text(), "only");
}

using ListClicks = ListBindingFixture;

TEST_F(ListClicks, ClickingARowSelectsTheModelsEntryAndAgainDeselectsIt) {
    Fill(4);
    guitest::ClickListRow(widget, 2);
    EXPECT_TRUE(list.Selected(2));
    EXPECT_EQ(list.SelCount(), 1);
    EXPECT_EQ(list.ListIndex(), 2);
    guitest::ClickListRow(widget, 0);
    EXPECT_TRUE(list.Selected(0));
    EXPECT_EQ(list.SelCount(), 2) << "the list selects several entries at once";
    guitest::ClickListRow(widget, 2);
    EXPECT_FALSE(list.Selected(2));
    EXPECT_EQ(list.SelCount(), 1);
}

TEST_F(ListClicks, ADisabledListIgnoresClicks) {
    Fill(2);
    list.SetEnabled(false);
    EXPECT_FALSE(widget->isEnabled());
    guitest::ClickListRow(widget, 1);
    EXPECT_EQ(list.SelCount(), 0);
    list.SetEnabled(true);
    guitest::ClickListRow(widget, 1);
    EXPECT_TRUE(list.Selected(1));
}

using ListModelChanges = ListBindingFixture;

TEST_F(ListModelChanges, SelectionsMadeByTheModelShowInTheWidget) {
    Fill(5);
    for (int row = 0; row < 5; ++row) {
        list.SetSelected(row, true);
    }
    list.SetListIndex(1);
    guitest::Settle();
    for (int row = 0; row < 5; ++row) {
        EXPECT_TRUE(WidgetSelected(row)) << row;
    }
    EXPECT_EQ(widget->currentRow(), 1);
    list.SetSelected(3, false);
    guitest::Settle();
    EXPECT_FALSE(WidgetSelected(3));
    EXPECT_TRUE(WidgetSelected(4));
    EXPECT_EQ(list.SelCount(), 4) << "showing the model's choice does not feed back";
}

TEST_F(ListModelChanges, ManySelectionsShowInOnePass) {
    Fill(3000);
    QElapsedTimer timer;
    timer.start();
    for (int row = 0; row < list.ListCount(); ++row) {
        list.SetSelected(row, true);
    }
    guitest::Settle();
    EXPECT_EQ(widget->selectionModel()->selectedRows().size(), 3000);
    EXPECT_LT(timer.elapsed(), 5000);
}

using ListExtent = ListBindingFixture;

TEST_F(ListExtent, TheScrollRangeFollowsTheExtentNotTheEntries) {
    Fill(3);
    const int visible = widget->viewport()->width();
    list.SetHorizontalExtent(visible + 450);
    guitest::Settle();
    EXPECT_EQ(widget->horizontalScrollBar()->maximum(), 450);
    EXPECT_TRUE(widget->horizontalScrollBar()->isVisible());
    list.SetHorizontalExtent(0);
    guitest::Settle();
    EXPECT_EQ(widget->horizontalScrollBar()->maximum(), 0);
    EXPECT_FALSE(widget->horizontalScrollBar()->isVisible());
}

TEST_F(ListExtent, AnExtentWithinTheVisibleWidthShowsNoScrollBar) {
    Fill(1);
    list.SetHorizontalExtent(widget->viewport()->width() - 10);
    guitest::Settle();
    EXPECT_EQ(widget->horizontalScrollBar()->maximum(), 0);
    EXPECT_FALSE(widget->horizontalScrollBar()->isVisible());
}

}  // namespace
