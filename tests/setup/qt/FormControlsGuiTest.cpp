#include "tests/setup/qt/WindowFixture.h"

// Clicks on the real widgets reach the form's handlers of the operation
// boxes and the "Select All" buttons.
using guitest::WindowFixture;

namespace {

struct FormControlsFixture : WindowFixture {
    // The lists as a walk leaves them: entries, the boxes and buttons enabled.
    void OpenWithEntries() {
        Open();
        for (int i = 0; i < 3; ++i) {
            form->MbxInstList.AddItem("EX1 / FIRST STORAGE GROUP / MAILBOX STORE / User " +
                                      std::to_string(i) + " / u" + std::to_string(i) +
                                      "@morvane.test / u" + std::to_string(i));
        }
        form->MbxInstList.SetEnabled(true);
        form->Check3.SetEnabled(true);
        form->Command6.SetEnabled(true);
        guitest::Settle();
    }
};

using OperationBoxClicks = FormControlsFixture;

TEST_F(OperationBoxClicks, TickingWithoutASelectedMailboxIsRefusedWithAMessage) {
    OpenWithEntries();
    auto seen = guitest::AnswerNextMessageBox(QMessageBox::Ok);
    guitest::ClickIndicator(W().Check3);
    ASSERT_TRUE(seen->shown);
    EXPECT_EQ(seen->text, "Please select the mailbox(es) for registration");
    EXPECT_EQ(seen->title, "Morvane setup");
    EXPECT_EQ(seen->icon, QMessageBox::Information);
    EXPECT_EQ(seen->buttons, QMessageBox::Ok);
    EXPECT_EQ(form->Check3.Value(), 0);
    EXPECT_FALSE(W().Check3->isChecked());
}

TEST_F(OperationBoxClicks, TickingWithASelectedMailboxKeepsTheTick) {
    OpenWithEntries();
    guitest::ClickListRow(W().MbxInstList, 1);
    ASSERT_TRUE(form->MbxInstList.Selected(1));
    auto seen = guitest::AnswerNextMessageBox(QMessageBox::Ok);
    guitest::ClickIndicator(W().Check3);
    guitest::Settle();
    EXPECT_FALSE(seen->shown);
    EXPECT_EQ(form->Check3.Value(), 1);
    EXPECT_TRUE(W().Check3->isChecked());
}

using SelectAllClicks = FormControlsFixture;

TEST_F(SelectAllClicks, SelectAllThenDeselectAllMarksEveryEntryAndSwitchesTheCaption) {
    OpenWithEntries();
    guitest::ClickButton(W().Command6);
    guitest::Settle();
    EXPECT_EQ(form->MbxInstList.SelCount(), 3);
    EXPECT_EQ(W().MbxInstList->selectedItems().size(), 3);
    EXPECT_EQ(W().Command6->text(), "Deselect All");
    guitest::ClickButton(W().Command6);
    guitest::Settle();
    EXPECT_EQ(form->MbxInstList.SelCount(), 0);
    EXPECT_TRUE(W().MbxInstList->selectedItems().isEmpty());
    EXPECT_EQ(W().Command6->text(), "Select All");
}

}  // namespace
