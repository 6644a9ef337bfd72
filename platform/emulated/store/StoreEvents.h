#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/emulated/store/StoreData.h"
#include "platform/emulated/store/StoreSession.h"

// The store's synchronous events. A change of an item (a save, a delete,
// or the creation of a folder, which is saved into its parent) looks up the
// registration items that reach it (RegistrationScope.h: the folder's own,
// the DEEP ones of its mailbox root and the ANY ones in the
// "StoreEvents/GlobalEvents" folder of the system mailbox of the same
// mailbox store), enabled, naming the event and with criteria the item
// meets; calls each sink's begin phase in priority order with the item in
// flight, makes the change (a save keeps the changes the sinks made), and
// then calls the committed phase, or the aborted phase when the change
// fails. A registration whose criteria cannot be read never fires; a sink
// that cannot be created or fails is reported to the event log and the
// change goes on.
namespace platform::emulated {

namespace event_flag {
constexpr int32_t kNewItem = 0x1;
constexpr int32_t kIsCollection = 0x2;
constexpr int32_t kIsDelivered = 0x8;
constexpr int32_t kSoftDelete = 0x10;
constexpr int32_t kHardDelete = 0x20;
constexpr int32_t kSyncBegin = 0x01000000;
constexpr int32_t kSyncCommitted = 0x02000000;
constexpr int32_t kSyncAborted = 0x04000000;
}  // namespace event_flag

enum class SyncEvent { Save, Delete };

// What the store writes to the machine's Application log when a sink it
// should call cannot be created, or fails its event method (an error of
// the source "EXOLEDB"; inserts: the sink's ProgID, the item's URL, the
// error number and its description).
inline constexpr std::string_view kStoreEventSource = "EXOLEDB";
namespace store_event_id {
constexpr uint32_t kSinkNotCreated = 1;
constexpr uint32_t kSinkFailed = 2;
}  // namespace store_event_id

// The names of the events in a registration's event method, which may name
// several, separated by ";" (or ",").
inline constexpr std::string_view kSaveEventMethod = "onsyncsave";
inline constexpr std::string_view kDeleteEventMethod = "onsyncdelete";
// Priority of a registration that names none.
constexpr int32_t kDefaultPriority = 65535;

struct EventRegistration {
    std::string url;
    std::string sinkClass;
    int32_t priority = kDefaultPriority;
};

// The registrations that fire for the event on item in the folder of
// where, lowest priority number first (equal ones in the order found).
std::vector<EventRegistration> FindRegistrations(StoreData& data, const Location& where,
                                                 const StoredItem& item, SyncEvent event);

// Saves the item into the folder of where, running the synchronous save
// events with the item bits given (new item, delivered). A registration
// item also has its sink's Register called. Returns the item's id.
int64_t SaveItem(std::shared_ptr<StoreSession> session, const Location& where, StoredItem item,
                 int32_t itemFlags);

// Deletes the stored item where names, running the synchronous delete
// events with the hard-delete bit.
void DeleteItem(std::shared_ptr<StoreSession> session, const Location& where);

// Creates the folder at path in the mailbox, whose parent folder must
// exist (else DB_E_NOTFOUND), running the parent's synchronous save events
// with the new-item and collection bits. Returns the new folder.
FolderRow CreateFolder(std::shared_ptr<StoreSession> session, const MailboxRow& mailbox,
                       const std::string& path);

// The value the store's criteria see for a property of the item: its own,
// or the store's default for DAV:ishidden (true for registration items,
// false for the rest), DAV:iscollection, DAV:href and DAV:displayname.
Variant CriteriaValue(const StoredItem& item, std::string_view name);

}  // namespace platform::emulated
