#include "setup/forms/ListBox.h"

#include <algorithm>

#include "platform/ComError.h"

namespace setup::forms {

void ListBox::AddItem(const std::string& text) {
    items_.push_back(text);
    selected_.push_back(false);
    Notify(Property::Items);
}

void ListBox::Clear() {
    items_.clear();
    selected_.clear();
    Notify(Property::Items);
    if (listIndex_ != -1) {
        listIndex_ = -1;
        Notify(Property::ListIndex);
    }
}

std::string ListBox::List(int index) const {
    if (index < 0 || index >= ListCount()) {
        return "";
    }
    return items_[static_cast<size_t>(index)];
}

void ListBox::CheckIndex(int index) const {
    if (index < 0 || index >= ListCount()) {
        throw platform::ComError(381, "Invalid property array index");
    }
}

bool ListBox::Selected(int index) const {
    CheckIndex(index);
    return selected_[static_cast<size_t>(index)];
}

void ListBox::SetSelected(int index, bool selected) {
    CheckIndex(index);
    const auto position = static_cast<size_t>(index);
    if (selected_[position] != selected) {
        selected_[position] = selected;
        lastMarked_ = index;
        Notify(Property::Selection);
    }
    if (listIndex_ != index) {
        listIndex_ = index;
        Notify(Property::ListIndex);
    }
}

int ListBox::SelCount() const {
    return static_cast<int>(std::count(selected_.begin(), selected_.end(), true));
}

void ListBox::SetListIndex(int index) {
    if (index < -1 || index >= ListCount()) {
        throw platform::ComError(380, "Invalid property value");
    }
    if (listIndex_ != index) {
        listIndex_ = index;
        Notify(Property::ListIndex);
    }
}

void ListBox::SetHorizontalExtent(int32_t extent) {
    if (horizontalExtent_ != extent) {
        horizontalExtent_ = extent;
        Notify(Property::HorizontalExtent);
    }
}

void ListBox::UserSelect(int index, bool selected) {
    if (AcceptsUser() && index >= 0 && index < ListCount()) {
        SetSelected(index, selected);
    }
}

void ListBox::UserSetListIndex(int index) {
    if (AcceptsUser() && index >= -1 && index < ListCount()) {
        SetListIndex(index);
    }
}

}  // namespace setup::forms
