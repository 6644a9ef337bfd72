#pragma once

#include <string_view>

#include "platform/emulated/store/StoreData.h"

// How far an event registration item reaches, by its match scope and the
// folder it lives in.
namespace platform::emulated {

// Whether a registration of matchScope (any letter case, blanks around it
// ignored) that lives in the folder home of homeMailbox fires for a change
// of an item in the folder changed of changedMailbox:
//   SHALLOW  for changes in home itself;
//   DEEP     for changes in home and in every folder below it, at any
//            depth, when home is a top-level folder (a mailbox root), and
//            nowhere when it lives in any other folder;
//   ANY      for changes in every folder of every mailbox of the mailbox
//            store, when home is the StoreEvents/GlobalEvents folder of the
//            store's system mailbox, and nowhere else;
//   anything else (EXACT, which only asynchronous events know, an empty
//   scope, whose default is EXACT, or an unknown word) never.
bool ScopeReaches(std::string_view matchScope, const MailboxRow& homeMailbox, const FolderRow& home,
                  const MailboxRow& changedMailbox, const FolderRow& changed);

}  // namespace platform::emulated
