#include "setup/ErrorLog.h"

#include "platform/Text.h"

namespace setup {

using platform::text::FindFirst;
using platform::text::FindLast;
using platform::text::Left;
using platform::text::Mid;

namespace {

// Renews the date and time of the first occurrence of message in text: the
// text between the "[" and the "]" before it becomes now. False when the
// message is not there; a message without a "]" before it stays as it is.
bool RenewIn(std::string& text, const std::string& message, const std::string& now) {
    const size_t found = FindFirst(text, message);
    if (found == 0) {
        return false;
    }
    const size_t closing = FindLast(text, "]", found);
    if (closing == 0) {
        return true;
    }
    const size_t opening = FindLast(text, "[", closing);
    // Without a "[" before the "]" the first zero characters are kept.
    text = Left(text, opening) + now + Mid(text, closing);
    return true;
}

}  // namespace

std::string ErrorLog::Stamp(const std::string& message) const {
    return "[" + platform::GeneralDateText(clock_.Now()) + "] " + message;
}

void ErrorLog::AddEntry(const std::string& entry) {
    runEntries_.push_back(entry + kEntryEnd);
    txtErr_.SetText(entry + kEntryEnd + txtErr_.Text());
}

void ErrorLog::AddMessage(const std::string& message) {
    AddEntry(Stamp(message));
}

void ErrorLog::Replace(const std::string& message) {
    runEntries_.push_back(Stamp(message));
    txtErr_.SetText(runEntries_.back());
}

// The entry renewed in the window is the newest entry of the run that holds
// the message; the run's copy is renewed with it.
void ErrorLog::RenewOrAdd(const std::string& message) {
    std::string text = txtErr_.Text();
    const std::string now = platform::GeneralDateText(clock_.Now());
    if (!RenewIn(text, message, now)) {
        AddMessage(message);
        return;
    }
    txtErr_.SetText(text);
    for (auto entry = runEntries_.rbegin(); entry != runEntries_.rend(); ++entry) {
        if (RenewIn(*entry, message, now)) {
            return;
        }
    }
}

void ErrorLog::AddSkippedStep(const std::string& what, const platform::ComError& error) {
    runEntries_.push_back(Stamp(FailureText(what, error)) + kEntryEnd);
}

void ErrorLog::Clear() {
    command3_.SetVisible(false);
    txtErr_.SetText("");
    txtErr_.SetVisible(false);
}

std::string ErrorLog::RunText() const {
    std::string text;
    for (auto entry = runEntries_.rbegin(); entry != runEntries_.rend(); ++entry) {
        // A replaced text ends without the separator; one follows it here
        // when an older entry comes after it.
        if (!text.empty() && !text.ends_with(kEntryEnd)) {
            text += kEntryEnd;
        }
        text += *entry;
    }
    return text;
}

void ErrorLog::UpdateVisibility() {
    const bool hasText = !txtErr_.Text().empty();
    txtErr_.SetVisible(hasText);
    command3_.SetVisible(hasText);
}

std::string FailureText(const std::string& what, const platform::ComError& error) {
    return what + " - ERROR: " + std::to_string(error.number()) + " " + error.description();
}

}  // namespace setup
