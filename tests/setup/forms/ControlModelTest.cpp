#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ComError.h"
#include "setup/forms/Buttons.h"
#include "setup/forms/Form.h"

using namespace setup::forms;

namespace {

// Records every notification as "name:property".
struct Recorder {
    std::vector<std::string> seen;
    void Attach(Control& control) {
        control.Subscribe([this](Control& changed, Property property) {
            seen.push_back(changed.Name() + ":" + std::to_string(static_cast<int>(property)));
        });
    }
};

std::string Note(const std::string& name, Property property) {
    return name + ":" + std::to_string(static_cast<int>(property));
}

TEST(CheckBoxFromCode, ChangingTheValueRunsTheClickHandlerAtOnce) {
    CheckBox box("Check3");
    std::vector<int> valuesSeenByHandler;
    box.OnClick([&] { valuesSeenByHandler.push_back(box.Value()); });
    box.SetValue(1);
    box.SetValue(2);
    box.SetValue(0);
    EXPECT_EQ(valuesSeenByHandler, (std::vector<int>{1, 2, 0}));
}

TEST(CheckBoxFromCode, SettingTheSameValueRunsNothing) {
    CheckBox box("Check3");
    int clicks = 0;
    box.OnClick([&] { ++clicks; });
    box.SetValue(0);
    EXPECT_EQ(clicks, 0);
    box.SetValue(1);
    box.SetValue(1);
    EXPECT_EQ(clicks, 1);
}

TEST(CheckBoxFromCode, HandlerMayResetTheBoxWhichNestsOneMoreRun) {
    CheckBox box("Check2");
    std::vector<int> runs;
    box.OnClick([&] {
        runs.push_back(box.Value());
        if (box.Value() > 0) {
            box.SetValue(0);
        }
    });
    box.SetValue(1);
    EXPECT_EQ(runs, (std::vector<int>{1, 0}));
    EXPECT_EQ(box.Value(), 0);
}

TEST(CheckBoxFromCode, ValueOutsideTheThreeStatesIsRefused) {
    CheckBox box("Check4");
    try {
        box.SetValue(3);
        FAIL() << "value 3 accepted";
    } catch (const platform::ComError& error) {
        EXPECT_EQ(error.number(), 380);
    }
    EXPECT_EQ(box.Value(), 0);
}

TEST(CheckBoxByUser, ClickTicksAClearOrGreyBoxAndClearsATickedOne) {
    CheckBox box("Check5");
    box.UserClick();
    EXPECT_EQ(box.Value(), 1);
    box.UserClick();
    EXPECT_EQ(box.Value(), 0);
    box.SetValue(2);
    box.UserClick();
    EXPECT_EQ(box.Value(), 1);
}

TEST(CheckBoxByUser, DisabledOrHiddenBoxIgnoresTheUser) {
    CheckBox box("Check5");
    int clicks = 0;
    box.OnClick([&] { ++clicks; });
    box.SetEnabled(false);
    box.UserClick();
    box.SetEnabled(true);
    box.SetVisible(false);
    box.UserClick();
    EXPECT_EQ(box.Value(), 0);
    EXPECT_EQ(clicks, 0);
}

TEST(OptionButton, SelectingRunsTheHandlerOnlyWhenItWasNotSelected) {
    OptionButton option("Option2");
    int clicks = 0;
    option.OnClick([&] { ++clicks; });
    option.SetValue(true);
    option.SetValue(true);
    option.UserClick();
    EXPECT_EQ(clicks, 1);
    option.SetValue(false);
    EXPECT_EQ(clicks, 1) << "deselecting must not run the click handler";
    option.UserClick();
    EXPECT_EQ(clicks, 2);
    EXPECT_TRUE(option.Value());
}

TEST(CommandButton, UserClickRunsTheHandlerOnlyWhileEnabled) {
    CommandButton button("Command5");
    int clicks = 0;
    button.OnClick([&] { ++clicks; });
    button.UserClick();
    button.SetEnabled(false);
    button.UserClick();
    button.Click();  // from code, as another handler calls it
    EXPECT_EQ(clicks, 2);
}

TEST(Notifications, EachModelChangeIsReportedOnceAndOnlyWhenItChanges) {
    Recorder recorder;
    CommandButton button("Command7");
    CheckBox box("Check4");
    TextBox text("txtErr");
    Label label("Label5");
    recorder.Attach(button);
    recorder.Attach(box);
    recorder.Attach(text);
    recorder.Attach(label);

    button.SetCaption("Deselect All");
    button.SetCaption("Deselect All");
    box.SetValue(1);
    box.SetEnabled(false);
    text.SetText("x");
    text.SetVisible(false);
    label.SetFontBold(true);
    label.SetFontBold(true);
    label.SetToolTipText("tip");

    EXPECT_EQ(recorder.seen,
              (std::vector<std::string>{
                  Note("Command7", Property::Caption), Note("Check4", Property::Value),
                  Note("Check4", Property::Enabled), Note("txtErr", Property::Text),
                  Note("txtErr", Property::Visible), Note("Label5", Property::Font),
                  Note("Label5", Property::ToolTip)}));
    EXPECT_TRUE(label.FontBold());
}

TEST(Notifications, UnsubscribedListenerHearsNothingMore) {
    TextBox text("txtErr");
    int heard = 0;
    const int token = text.Subscribe([&](Control&, Property) { ++heard; });
    text.SetText("a");
    text.Unsubscribe(token);
    text.SetText("b");
    EXPECT_EQ(heard, 1);
}

TEST(Notifications, ListenerIsToldAfterTheValueChangedAndBeforeTheHandlerRuns) {
    CheckBox box("Check2");
    std::vector<std::string> order;
    box.Subscribe(
        [&](Control&, Property) { order.push_back("listener" + std::to_string(box.Value())); });
    box.OnClick([&] { order.push_back("handler"); });
    box.SetValue(1);
    EXPECT_EQ(order, (std::vector<std::string>{"listener1", "handler"}));
}

TEST(LabelHandlers, ClickAndMouseMoveReachTheirHandlers) {
    Label label("Label5");
    int clicks = 0;
    int moves = 0;
    label.OnClick([&] { ++clicks; });
    label.OnMouseMove([&] { ++moves; });
    label.UserClick();
    label.UserMouseMove();
    label.UserMouseMove();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(moves, 2);
}

TEST(FormWindow, MousePointerAndCaptionAreObservable) {
    Form form("InstallForm");
    Recorder recorder;
    recorder.Attach(form);
    form.SetCaption("Morvane setup");
    form.SetMousePointer(Form::kPointerHourglass);
    form.SetMousePointer(Form::kPointerDefault);
    EXPECT_EQ(recorder.seen,
              (std::vector<std::string>{Note("InstallForm", Property::Caption),
                                        Note("InstallForm", Property::MousePointer),
                                        Note("InstallForm", Property::MousePointer)}));
}

TEST(FormWindow, UnloadRunsItsHandlerOnceAndHidesTheWindow) {
    Form form("InstallForm");
    int unloads = 0;
    form.OnUnload([&] { ++unloads; });
    form.Unload();
    form.Unload();
    EXPECT_EQ(unloads, 1);
    EXPECT_TRUE(form.IsUnloaded());
    EXPECT_FALSE(form.Visible());
}

}  // namespace
