#include "setup/ErrorLog.h"

#include "platform/Text.h"

namespace setup {

using platform::text::FindFirst;
using platform::text::FindLast;
using platform::text::Left;
using platform::text::Mid;

std::string ErrorLog::Stamp(const std::string& message) const {
    return "[" + platform::GeneralDateText(clock_.Now()) + "] " + message;
}

void ErrorLog::AddEntry(const std::string& entry) {
    txtErr_.SetText(entry + kEntryEnd + txtErr_.Text());
}

void ErrorLog::AddMessage(const std::string& message) {
    AddEntry(Stamp(message));
}

void ErrorLog::Replace(const std::string& message) {
    txtErr_.SetText(Stamp(message));
}

void ErrorLog::RenewOrAdd(const std::string& message) {
    const std::string text = txtErr_.Text();
    const size_t found = FindFirst(text, message);
    if (found == 0) {
        AddMessage(message);
        return;
    }
    const size_t closing = FindLast(text, "]", found);
    if (closing == 0) {
        return;
    }
    const size_t opening = FindLast(text, "[", closing);
    // Without a "[" before the "]" the first zero characters are kept.
    txtErr_.SetText(Left(text, opening) + platform::GeneralDateText(clock_.Now()) +
                    Mid(text, closing));
}

void ErrorLog::Clear() {
    command3_.SetVisible(false);
    txtErr_.SetText("");
    txtErr_.SetVisible(false);
}

void ErrorLog::UpdateVisibility() {
    const bool hasText = !txtErr_.Text().empty();
    txtErr_.SetVisible(hasText);
    command3_.SetVisible(hasText);
}

}  // namespace setup
