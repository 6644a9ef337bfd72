#include "setup/win32/NativeList.h"

#include "platform/win32/WideText.h"

namespace setup::win32 {

namespace {

// How long a burst of changes may go on before the list is drawn: during a
// long fill the user still sees it grow.
constexpr UINT kRedrawDelayMs = 100;

}  // namespace

void NativeList::Show(forms::Property property) {
    using P = forms::Property;
    if (reading_ && property != P::HorizontalExtent)
        return;
    switch (property) {
        case P::Items:
            Suspend();
            ShowItems();
            break;
        case P::Selection:
            Suspend();
            ShowMark(list_.LastMarked());
            break;
        case P::ListIndex:
            Suspend();  // shown when the burst is over
            break;
        case P::HorizontalExtent:
            SendMessageA(handle_, LB_SETHORIZONTALEXTENT,
                         static_cast<WPARAM>(list_.HorizontalExtent()), 0);
            break;
        default:
            break;
    }
}

void NativeList::ShowWhole() {
    Suspend();
    Refill();
    Show(forms::Property::HorizontalExtent);
}

void NativeList::Suspend() {
    if (suspended_)
        return;
    suspended_ = true;
    SendMessageW(handle_, WM_SETREDRAW, FALSE, 0);
    SetTimer(owner_, timerId_, kRedrawDelayMs, nullptr);
}

void NativeList::Resume() {
    KillTimer(owner_, timerId_);
    if (!suspended_)
        return;
    suspended_ = false;
    if (list_.ListIndex() >= 0 && list_.ListIndex() < NativeCount())
        SendMessageW(handle_, LB_SETCARETINDEX, static_cast<WPARAM>(list_.ListIndex()), FALSE);
    SendMessageW(handle_, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(handle_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

int NativeList::NativeCount() const {
    return static_cast<int>(SendMessageW(handle_, LB_GETCOUNT, 0, 0));
}

void NativeList::Append(const std::string& entry) {
    const std::wstring wide = platform::win32::Utf8ToWide(entry);
    SendMessageW(handle_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

void NativeList::ShowMark(int index) {
    if (index >= 0 && index < list_.ListCount() && index < NativeCount())
        SendMessageW(handle_, LB_SETSEL, list_.Selected(index) ? TRUE : FALSE, index);
}

// The model appends one entry at a time (AddItem); any other change of
// its entries (Clear) is shown by a refill.
void NativeList::ShowItems() {
    const int count = list_.ListCount();
    if (count > 0 && count == NativeCount() + 1)
        Append(list_.List(count - 1));
    else
        Refill();
}

void NativeList::Refill() {
    SendMessageW(handle_, LB_RESETCONTENT, 0, 0);
    for (int i = 0; i < list_.ListCount(); ++i) {
        Append(list_.List(i));
        if (list_.Selected(i))
            ShowMark(i);
    }
}

void NativeList::ReadSelection() {
    reading_ = true;
    for (int i = 0; i < list_.ListCount(); ++i) {
        bool selected = SendMessageW(handle_, LB_GETSEL, static_cast<WPARAM>(i), 0) > 0;
        if (selected != list_.Selected(i))
            list_.UserSelect(i, selected);
    }
    int caret = static_cast<int>(SendMessageW(handle_, LB_GETCARETINDEX, 0, 0));
    if (caret != list_.ListIndex() && caret < list_.ListCount())
        list_.UserSetListIndex(caret);
    reading_ = false;
}

}  // namespace setup::win32
