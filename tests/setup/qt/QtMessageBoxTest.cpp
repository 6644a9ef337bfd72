#include <gtest/gtest.h>

#include "setup/qt/QtMessageBox.h"
#include "tests/setup/qt/GuiTestSupport.h"

using setup::qt::AnswerForButton;
using setup::qt::LookForStyle;
using setup::qt::MessageText;
using setup::qt::QtMessageBox;

namespace {

TEST(MessageBoxStyle, InformationAloneHasOneOkButton) {
    const auto look = LookForStyle(64);
    EXPECT_EQ(look.icon, QMessageBox::Information);
    ASSERT_EQ(look.buttons.size(), 1u);
    EXPECT_EQ(look.buttons[0], QMessageBox::Ok);
    EXPECT_EQ(look.defaultButton, 0u);
}

TEST(MessageBoxStyle, YesNoExclamationWithSecondDefaultMakesNoTheDefault) {
    const auto look = LookForStyle(308);
    EXPECT_EQ(look.icon, QMessageBox::Warning);
    ASSERT_EQ(look.buttons.size(), 2u);
    EXPECT_EQ(look.buttons[0], QMessageBox::Yes);
    EXPECT_EQ(look.buttons[1], QMessageBox::No);
    EXPECT_EQ(look.defaultButton, 1u);
}

TEST(MessageBoxStyle, OtherButtonSetsAndIconsFollowTheStyleBits) {
    EXPECT_EQ(LookForStyle(1).buttons.size(), 2u);
    EXPECT_EQ(LookForStyle(3 + 32).icon, QMessageBox::Question);
    EXPECT_EQ(LookForStyle(3).buttons.back(), QMessageBox::Cancel);
    EXPECT_EQ(LookForStyle(16).icon, QMessageBox::Critical);
    EXPECT_EQ(LookForStyle(0).icon, QMessageBox::NoIcon);
    EXPECT_EQ(LookForStyle(512 + 4).defaultButton, 0u) << "no third button: the first";
}

TEST(MessageBoxStyle, AnswersAreThePlatformValues) {
    EXPECT_EQ(AnswerForButton(QMessageBox::Ok), 1);
    EXPECT_EQ(AnswerForButton(QMessageBox::Cancel), 2);
    EXPECT_EQ(AnswerForButton(QMessageBox::Yes), 6);
    EXPECT_EQ(AnswerForButton(QMessageBox::No), 7);
}

TEST(MessageBoxStyle, LoneCarriageReturnsBreakLines) {
    EXPECT_EQ(MessageText("a\rb\r\rc\r\nd"), QString("a\nb\n\nc\nd"));
}

TEST(QtMessageBoxShow, YesNoQuestionShowsTitleTextIconAndAnswersYes) {
    QtMessageBox port;
    auto seen = guitest::AnswerNextMessageBox(QMessageBox::Yes);
    const int32_t answer = port.Show("Remove?\rAll <SCL value> items.", 308, "Morvane setup");
    ASSERT_TRUE(seen->shown);
    EXPECT_EQ(answer, 6);
    EXPECT_EQ(seen->title, "Morvane setup");
    EXPECT_EQ(seen->text, "Remove?\nAll <SCL value> items.") << "plain text, not markup";
    EXPECT_EQ(seen->icon, QMessageBox::Warning);
    EXPECT_EQ(seen->buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(seen->defaultButton, QMessageBox::No);
}

TEST(QtMessageBoxShow, ClosingAYesNoBoxAnswersNo) {
    QtMessageBox port;
    auto seen = guitest::AnswerNextMessageBox(QMessageBox::NoButton);
    EXPECT_EQ(port.Show("Continue?", 4, "t"), 7);
    EXPECT_TRUE(seen->shown);
}

TEST(QtMessageBoxShow, InformationBoxAnswersOk) {
    QtMessageBox port;
    auto seen = guitest::AnswerNextMessageBox(QMessageBox::Ok);
    EXPECT_EQ(port.Show("Please select the mailbox(es) for registration", 64, "Morvane setup"), 1);
    EXPECT_EQ(seen->icon, QMessageBox::Information);
    EXPECT_EQ(seen->buttons, QMessageBox::Ok);
}

}  // namespace
