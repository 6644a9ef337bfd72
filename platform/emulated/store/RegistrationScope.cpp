#include "platform/emulated/store/RegistrationScope.h"

#include "platform/Text.h"

namespace platform::emulated {

bool ScopeReaches(std::string_view matchScope, const MailboxRow& homeMailbox, const FolderRow& home,
                  const MailboxRow& changedMailbox, const FolderRow& changed) {
    const std::string scope = text::Trim(matchScope);
    if (text::EqualsNoCase(scope, "SHALLOW"))
        return home.id == changed.id;
    if (text::EqualsNoCase(scope, "DEEP"))
        return home.path.empty() && homeMailbox.id == changedMailbox.id;
    if (text::EqualsNoCase(scope, "ANY")) {
        return homeMailbox.system && text::EqualsNoCase(home.path, kGlobalEventsPath) &&
               homeMailbox.storeId == changedMailbox.storeId;
    }
    return false;
}

}  // namespace platform::emulated
