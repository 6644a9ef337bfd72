#pragma once

#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/ComError.h"
#include "setup/forms/Buttons.h"

// The error log of the setup window: the text of txtErr, entries newest
// first, each followed by CR LF CR LF, and the button Command3 ("Clear
// Error Log") that is visible together with the box. Entries written by the
// program itself read "[" + date and time + "] " + message.
namespace setup {

class ErrorLog {
  public:
    ErrorLog(forms::TextBox& txtErr, forms::CommandButton& command3, const platform::Clock& clock)
        : txtErr_(txtErr), command3_(command3), clock_(clock) {}

    // "[" + the current date and time + "] " + message.
    std::string Stamp(const std::string& message) const;

    // Add entry: entry + CR LF CR LF + the previous text. Visibility stays.
    void AddEntry(const std::string& entry);
    // Add entry with the program's own prefix.
    void AddMessage(const std::string& message);
    // Replace: the whole text becomes the stamped message, nothing after it.
    void Replace(const std::string& message);
    // Renew or add: a message already in the log (exact comparison) keeps
    // its place with a renewed time; otherwise it is added.
    void RenewOrAdd(const std::string& message);
    // Clear: hides Command3, empties the text, hides txtErr.
    void Clear();
    // Shows txtErr and Command3 when the text is not empty, hides both when
    // it is.
    void UpdateVisibility();

    const std::string& Text() const { return txtErr_.Text(); }

    // A step the program skipped because a platform call failed, where the
    // window's log says nothing of it (start-up, the mailbox walk): the
    // run's journal keeps the stamped FailureText as an entry of its own,
    // the window's text stays as it is.
    void AddSkippedStep(const std::string& what, const platform::ComError& error);

    // The run's journal, the one account of what went wrong in this program
    // run: every entry the run has written, each once, newest first and
    // separated as in the window, with a renewed entry's latest time, also
    // those that Clear or Replace have taken out of the window since, and
    // every skipped step. A run with any of them has failed.
    std::string RunText() const;
    bool RunHasEntries() const { return !runEntries_.empty(); }

  private:
    forms::TextBox& txtErr_;
    forms::CommandButton& command3_;
    const platform::Clock& clock_;
    // The run's entries, oldest first, each as written to the window.
    std::vector<std::string> runEntries_;
};

// The separator that follows every entry.
inline constexpr const char* kEntryEnd = "\r\n\r\n";

// what + " - ERROR: " + the error's number (signed decimal) + " " + its
// description: how the program words a failed platform call.
std::string FailureText(const std::string& what, const platform::ComError& error);

}  // namespace setup
