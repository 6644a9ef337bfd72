#pragma once

#include <type_traits>

#include "platform/ComError.h"
#include "setup/ErrorLog.h"

namespace setup {

// One step under the skip-and-go-on policy of start-up and the mailbox
// walk: a platform call failing inside body ends the step there, and the
// run's journal keeps what was skipped (ErrorLog::AddSkippedStep). what is
// the text, or a function that makes it, called only when the step fails.
// Returns whether the step ran to its end.
template <typename What, typename Body>
bool SkipStep(ErrorLog& log, What&& what, Body&& body) {
    try {
        body();
        return true;
    } catch (const platform::ComError& error) {
        if constexpr (std::is_invocable_v<What>) {
            log.AddSkippedStep(what(), error);
        } else {
            log.AddSkippedStep(what, error);
        }
        return false;
    }
}

}  // namespace setup
