#pragma once

#include "platform/win32/WindowsHeaders.h"
#include "setup/forms/ListBox.h"

namespace setup::win32 {

// A model list shown in a native list box, each change with the fewest
// messages, so that filling and selecting cost time in proportion to the
// entries: an added entry is appended, a changed mark touches its entry
// alone, and anything else refills the native list with one reset and the
// entries. Drawing waits for the end of a burst of changes: the first
// change suspends the list's redrawing and starts a timer of the owner
// window with the list's id, and Resume, when the timer fires, shows the
// focused entry and redraws the list once. Redrawing after every change
// would cost more than the change itself.
class NativeList {
  public:
    NativeList(HWND owner, HWND handle, UINT_PTR timerId, forms::ListBox& list)
        : owner_(owner), handle_(handle), timerId_(timerId), list_(list) {}

    // Shows the model's change named by property (entries, a mark, the
    // focused entry or the scroll extent).
    void Show(forms::Property property);
    // The whole model list: its entries, marks, focused entry and extent.
    void ShowWhole();
    // The owner's timer with this list's id fired: the burst is over.
    void Resume();
    // The user changed the native selection: the model follows.
    void ReadSelection();

  private:
    void Suspend();
    int NativeCount() const;
    void Append(const std::string& entry);
    void ShowMark(int index);
    void ShowItems();
    void Refill();

    HWND owner_;
    HWND handle_;
    UINT_PTR timerId_;
    forms::ListBox& list_;
    bool suspended_ = false;
    // The model is following the user: the native list shows it already.
    bool reading_ = false;
};

}  // namespace setup::win32
