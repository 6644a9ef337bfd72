#include "setup/win32/WindowLayout.h"

#include <algorithm>
#include <initializer_list>

namespace setup::win32 {

namespace {

constexpr int kMargin = 12;
constexpr int kGap = 6;
constexpr int kRowGap = 10;
constexpr int kColumnGap = 16;
constexpr int kExampleGap = 14;
constexpr int kFramePadding = 10;
constexpr int kListWidth = 430;
constexpr int kListHeight = 172;
constexpr int kCommandWidth = 170;
constexpr int kProgressHeight = 24;
constexpr int kLogHeight = 96;
constexpr int kButtonPadding = 12;
constexpr int kMinButtonWidth = 75;
constexpr int kMinButtonHeight = 23;

using K = ControlKind;

class Planner {
  public:
    Planner(const InstallForm& form, const TextMeasurer& measure, int checkMark)
        : f_(form), measure_(measure), checkMark_(checkMark) {}

    WindowPlan Plan() {
        const int commandWidth =
            std::max({kCommandWidth, Button(f_.Command1).width, Button(f_.Command4).width,
                      Button(f_.Command2).width, Button(f_.Command3).width});
        const TextSize check7 = Box(f_.Check7);
        const TextSize frame = FrameSize();
        const int bottomRowWidth = check7.width + kRowGap + frame.width + kRowGap + commandWidth;
        const int panel =
            std::max({PanelWidth(f_.Check2, f_.Command5), PanelWidth(f_.Check5, f_.Command8),
                      PanelWidth(f_.Check3, f_.Command6), PanelWidth(f_.Check4, f_.Command7),
                      (bottomRowWidth - kColumnGap + 1) / 2});
        plan_.clientWidth = 2 * kMargin + 2 * panel + kColumnGap;
        const int right = kMargin + panel + kColumnGap;
        int y = kMargin;
        PlacePanel(f_.Check2, f_.Command5, f_.SysMbxInstList, kMargin, y, panel);
        y = PlacePanel(f_.Check5, f_.Command8, f_.SysMbxUninstList, right, y, panel) + kRowGap;
        PlacePanel(f_.Check3, f_.Command6, f_.MbxInstList, kMargin, y, panel);
        y = PlacePanel(f_.Check4, f_.Command7, f_.MbxUninstList, right, y, panel) + kRowGap;
        Place(f_.Check7.Name(), K::CheckBox, kMargin, y, check7);
        int bottom = y + check7.height;
        bottom = std::max(bottom, PlaceFrame(kMargin + check7.width + kRowGap, y, frame));
        const int commandX = plan_.clientWidth - kMargin - commandWidth;
        bottom = std::max(bottom, PlaceCommands(commandX, y, commandWidth));
        PlaceLogRows(bottom + kRowGap, commandWidth);
        return plan_;
    }

  private:
    TextSize Text(const std::string& text, const forms::Font& font) const {
        return measure_(text, font);
    }

    TextSize Button(const forms::CommandButton& button) const {
        return ButtonSize({button.Caption()}, button.GetFont());
    }

    TextSize ButtonSize(std::initializer_list<std::string> captions,
                        const forms::Font& font) const {
        TextSize size{kMinButtonWidth, kMinButtonHeight};
        for (const std::string& caption : captions) {
            const TextSize text = Text(caption, font);
            size.width = std::max(size.width, text.width + 2 * kButtonPadding);
            size.height = std::max(size.height, text.height + 10);
        }
        return size;
    }

    // A "Select All" button also shows "Deselect All".
    TextSize SelectAllButton(const forms::CommandButton& button) const {
        return ButtonSize({InstallForm::kSelectAllCaption, InstallForm::kDeselectAllCaption},
                          button.GetFont());
    }

    // A check box or option: the square, a gap and the caption.
    TextSize Box(const forms::CaptionControl& box) const {
        const TextSize text = Text(box.Caption(), box.GetFont());
        return {checkMark_ + 8 + text.width, std::max(text.height, checkMark_) + 4};
    }

    // A label is measured bold too: the examples turn bold with their option.
    TextSize Label(const forms::Label& label) const {
        forms::Font bold = label.GetFont();
        bold.bold = true;
        const TextSize plain = Text(label.Caption(), label.GetFont());
        const TextSize wide = Text(label.Caption(), bold);
        return {std::max(plain.width, wide.width) + 2, std::max(plain.height, wide.height) + 2};
    }

    void Place(const std::string& name, ControlKind kind, int x, int y, TextSize size) {
        plan_.places.push_back({name, kind, x, y, size.width, size.height});
    }

    int PanelWidth(const forms::CheckBox& box, const forms::CommandButton& button) const {
        return std::max(kListWidth, Box(box).width + kGap + SelectAllButton(button).width);
    }

    // One list under its operation box and its "Select All" button; returns
    // the list's bottom.
    int PlacePanel(const forms::CheckBox& box, const forms::CommandButton& button,
                   const forms::ListBox& list, int x, int y, int width) {
        const TextSize boxSize = Box(box);
        const TextSize buttonSize = SelectAllButton(button);
        const int header = std::max(boxSize.height, buttonSize.height);
        Place(box.Name(), K::CheckBox, x, y + (header - boxSize.height) / 2, boxSize);
        Place(button.Name(), K::Button, x + width - buttonSize.width, y, buttonSize);
        const int listY = y + header + 4;
        Place(list.Name(), K::List, x, listY, {width, kListHeight});
        return listY + kListHeight;
    }

    // The frame's columns: the options, then the two columns of examples
    // under the heading "Examples:".
    struct FrameColumns {
        int options;
        int first;
        int second;
        int top;
    };

    FrameColumns Columns() const {
        FrameColumns c{std::max(Box(f_.Option1).width, Box(f_.Option2).width),
                       std::max(Label(f_.Label2).width, Label(f_.Label3).width),
                       std::max(Label(f_.Label8).width, Label(f_.Label9).width),
                       Text(f_.Frame1.Caption(), f_.Frame1.GetFont()).height + 4};
        c.second = std::max(c.second, Label(f_.Label7).width - c.first - kExampleGap);
        return c;
    }

    int RowHeight(const forms::OptionButton& option, const forms::Label& first,
                  const forms::Label& second) const {
        return std::max({Box(option).height, Label(first).height, Label(second).height});
    }

    TextSize FrameSize() const {
        const FrameColumns c = Columns();
        const int inside = c.options + kExampleGap + c.first + kExampleGap + c.second;
        const int caption = Text(f_.Frame1.Caption(), f_.Frame1.GetFont()).width;
        const int rows = Label(f_.Label7).height + RowHeight(f_.Option1, f_.Label2, f_.Label8) +
                         RowHeight(f_.Option2, f_.Label3, f_.Label9) + 2 * 4;
        return {std::max(inside, caption + kFramePadding) + 2 * kFramePadding,
                c.top + rows + kFramePadding};
    }

    // The options and their examples, then the frame beneath them; returns
    // the frame's bottom.
    int PlaceFrame(int x, int y, TextSize frame) {
        const FrameColumns c = Columns();
        const int optionX = x + kFramePadding;
        const int firstX = optionX + c.options + kExampleGap;
        const int secondX = firstX + c.first + kExampleGap;
        int rowY = y + c.top;
        const TextSize heading = Label(f_.Label7);
        const int row1 = rowY + heading.height + 4;
        const int row2 = row1 + RowHeight(f_.Option1, f_.Label2, f_.Label8) + 4;
        Place(f_.Option1.Name(), K::Option, optionX, row1, {c.options, Box(f_.Option1).height});
        Place(f_.Option2.Name(), K::Option, optionX, row2, {c.options, Box(f_.Option2).height});
        Place(f_.Label7.Name(), K::Label, firstX, rowY, heading);
        PlaceExample(f_.Label2, firstX, row1, RowHeight(f_.Option1, f_.Label2, f_.Label8));
        PlaceExample(f_.Label8, secondX, row1, RowHeight(f_.Option1, f_.Label2, f_.Label8));
        PlaceExample(f_.Label3, firstX, row2, RowHeight(f_.Option2, f_.Label3, f_.Label9));
        PlaceExample(f_.Label9, secondX, row2, RowHeight(f_.Option2, f_.Label3, f_.Label9));
        Place(f_.Frame1.Name(), K::Frame, x, y, frame);
        return y + frame.height;
    }

    void PlaceExample(const forms::Label& label, int x, int rowY, int rowHeight) {
        const TextSize size = Label(label);
        Place(label.Name(), K::Label, x, rowY + (rowHeight - size.height) / 2, size);
    }

    // CHANGE, "Uninstall completely" and Exit, one under the other; returns
    // their bottom.
    int PlaceCommands(int x, int y, int width) {
        for (const forms::CommandButton* button : {&f_.Command1, &f_.Command4, &f_.Command2}) {
            const int height = Button(*button).height;
            Place(button->Name(), K::Button, x, y, {width, height});
            y += height + kGap;
        }
        return y - kGap;
    }

    // The progress box, the error log beside "Clear Error Log", the link.
    void PlaceLogRows(int y, int commandWidth) {
        const int inner = plan_.clientWidth - 2 * kMargin;
        Place(f_.Picture1.Name(), K::Picture, kMargin, y, {inner, kProgressHeight});
        y += kProgressHeight + kGap;
        Place(f_.txtErr.Name(), K::Text, kMargin, y, {inner - kGap - commandWidth, kLogHeight});
        Place(f_.Command3.Name(), K::Button, plan_.clientWidth - kMargin - commandWidth, y,
              {commandWidth, Button(f_.Command3).height});
        y += kLogHeight + kGap;
        const TextSize link = Label(f_.Label5);
        Place(f_.Label5.Name(), K::Link, plan_.clientWidth - kMargin - link.width, y, link);
        plan_.clientHeight = y + link.height + kRowGap;
    }

    const InstallForm& f_;
    const TextMeasurer& measure_;
    int checkMark_;
    WindowPlan plan_;
};

}  // namespace

WindowPlan PlanSetupWindow(const InstallForm& form, const TextMeasurer& measure, int checkMark) {
    return Planner(form, measure, checkMark).Plan();
}

}  // namespace setup::win32
