#include <gtest/gtest.h>

#include <vector>

#include "platform/ComError.h"
#include "setup/forms/ListBox.h"

using setup::forms::Control;
using setup::forms::ListBox;
using setup::forms::Property;

namespace {

void Fill(ListBox& list) {
    list.AddItem("a");
    list.AddItem("b");
    list.AddItem("c");
}

TEST(ListBoxEntries, AddItemAppendsInOrderWithoutSorting) {
    ListBox list("MbxInstList");
    list.AddItem("zeta");
    list.AddItem("alpha");
    ASSERT_EQ(list.ListCount(), 2);
    EXPECT_EQ(list.List(0), "zeta");
    EXPECT_EQ(list.List(1), "alpha");
    EXPECT_EQ(list.List(2), "");
    EXPECT_EQ(list.List(-1), "");
}

TEST(ListBoxEntries, ClearRemovesEntriesSelectionsAndFocus) {
    ListBox list("MbxInstList");
    Fill(list);
    list.SetSelected(1, true);
    list.Clear();
    EXPECT_EQ(list.ListCount(), 0);
    EXPECT_EQ(list.SelCount(), 0);
    EXPECT_EQ(list.ListIndex(), -1);
    list.AddItem("new");
    EXPECT_FALSE(list.Selected(0)) << "a cleared selection must not come back";
}

TEST(ListBoxSelection, SeveralEntriesMayBeSelectedAtOnce) {
    ListBox list("SysMbxUninstList");
    Fill(list);
    list.SetSelected(0, true);
    list.SetSelected(2, true);
    EXPECT_TRUE(list.Selected(0));
    EXPECT_FALSE(list.Selected(1));
    EXPECT_TRUE(list.Selected(2));
    EXPECT_EQ(list.SelCount(), 2);
    list.SetSelected(0, false);
    EXPECT_EQ(list.SelCount(), 1);
}

TEST(ListBoxSelection, SelectingMovesTheFocusedPosition) {
    ListBox list("MbxUninstList");
    Fill(list);
    list.SetListIndex(0);
    list.SetSelected(2, false);
    EXPECT_EQ(list.ListIndex(), 2);
}

TEST(ListBoxSelection, InvalidPositionsAreErrorsNotCrashes) {
    ListBox list("MbxInstList");
    Fill(list);
    for (int bad : {-1, 3, 32767}) {
        try {
            list.SetSelected(bad, true);
            FAIL() << "position " << bad << " accepted";
        } catch (const platform::ComError& error) {
            EXPECT_EQ(error.number(), 381);
        }
        EXPECT_THROW((void)list.Selected(bad), platform::ComError);
    }
    EXPECT_THROW(list.SetListIndex(3), platform::ComError);
    EXPECT_THROW(list.SetListIndex(-2), platform::ComError);
    list.SetListIndex(-1);
    EXPECT_EQ(list.ListIndex(), -1);
}

TEST(ListBoxUser, UserSelectionIsIgnoredWhileDisabledAndOutOfRange) {
    ListBox list("MbxInstList");
    Fill(list);
    list.UserSelect(5, true);
    list.SetEnabled(false);
    list.UserSelect(1, true);
    list.UserSetListIndex(1);
    EXPECT_EQ(list.SelCount(), 0);
    EXPECT_EQ(list.ListIndex(), -1);
    list.SetEnabled(true);
    list.UserSelect(1, true);
    EXPECT_TRUE(list.Selected(1));
}

TEST(ListBoxNotifications, ItemsSelectionFocusAndExtentAreReported) {
    ListBox list("MbxInstList");
    std::vector<Property> seen;
    list.Subscribe([&](Control&, Property property) { seen.push_back(property); });
    list.AddItem("a");
    list.SetSelected(0, true);
    list.SetSelected(0, true);
    list.SetHorizontalExtent(120);
    list.SetHorizontalExtent(120);
    list.Clear();
    EXPECT_EQ(seen, (std::vector<Property>{Property::Items, Property::Selection,
                                           Property::ListIndex, Property::HorizontalExtent,
                                           Property::Items, Property::ListIndex}));
    EXPECT_EQ(list.HorizontalExtent(), 120);
}

// A front end shows a changed mark on that entry alone.
TEST(ListBoxNotifications, ASelectionNotificationNamesTheEntryWhoseMarkChanged) {
    ListBox list("MbxInstList");
    Fill(list);
    std::vector<int> marked;
    list.Subscribe([&](Control&, Property property) {
        if (property == Property::Selection) {
            marked.push_back(list.LastMarked());
        }
    });
    list.SetSelected(2, true);
    list.SetSelected(0, true);
    list.SetSelected(2, false);
    EXPECT_EQ(marked, (std::vector<int>{2, 0, 2}));
}

}  // namespace
