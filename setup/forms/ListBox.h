#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "setup/forms/Control.h"

namespace setup::forms {

// A multi-selection list box that does not sort its entries. Positions
// count from 0. Like the platform's list, selecting or deselecting an entry
// moves the focused position (ListIndex) to it; ListIndex is -1 when no
// entry has the focus.
class ListBox : public Control {
  public:
    using Control::Control;

    // Appends an entry at the end.
    void AddItem(const std::string& text);
    // Removes every entry; ListIndex becomes -1.
    void Clear();
    int ListCount() const { return static_cast<int>(items_.size()); }
    // The entry at position index; "" for a position without an entry.
    std::string List(int index) const;

    // Invalid positions throw ComError 381 "Invalid property array index".
    bool Selected(int index) const;
    void SetSelected(int index, bool selected);
    // The number of selected entries.
    int SelCount() const;
    // The position whose mark changed last: a Selection notification is
    // about that entry alone, so a front end need not look at the others.
    int LastMarked() const { return lastMarked_; }

    int ListIndex() const { return listIndex_; }
    // -1 .. ListCount() - 1; other values throw ComError 380.
    void SetListIndex(int index);

    // The horizontal scroll extent in pixels (LB_SETHORIZONTALEXTENT).
    int32_t HorizontalExtent() const { return horizontalExtent_; }
    void SetHorizontalExtent(int32_t extent);

    // The user selects or deselects an entry, or moves the focus.
    void UserSelect(int index, bool selected);
    void UserSetListIndex(int index);

  private:
    void CheckIndex(int index) const;

    std::vector<std::string> items_;
    std::vector<bool> selected_;
    int listIndex_ = -1;
    int lastMarked_ = -1;
    int32_t horizontalExtent_ = 0;
};

}  // namespace setup::forms
