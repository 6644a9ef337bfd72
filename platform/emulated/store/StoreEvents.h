#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/emulated/store/StoreData.h"
#include "platform/emulated/store/StoreSession.h"

// The store's synchronous save events. A save looks up the registration
// items that apply (the folder's own and the store-wide ones in the
// "StoreEvents/GlobalEvents" folder of the system mailbox of the same
// mailbox store), calls each sink's begin phase in priority order with the
// item in flight, stores the item with the changes the sinks made, and
// then calls the committed phase (the aborted phase when storing fails).
namespace platform::emulated {

namespace event_flag {
constexpr int32_t kNewItem = 0x1;
constexpr int32_t kIsCollection = 0x2;
constexpr int32_t kIsDelivered = 0x8;
constexpr int32_t kSyncBegin = 0x01000000;
constexpr int32_t kSyncCommitted = 0x02000000;
constexpr int32_t kSyncAborted = 0x04000000;
}  // namespace event_flag

// The name of the save event in a registration's event method.
inline constexpr std::string_view kSaveEventMethod = "onsyncsave";
// Priority of a registration that names none.
constexpr int32_t kDefaultPriority = 65535;

struct SaveRegistration {
    std::string url;
    std::string sinkClass;
    int32_t priority = kDefaultPriority;
};

// The registrations that apply to saving item into the folder of where,
// lowest priority number first (equal ones in the order found).
std::vector<SaveRegistration> FindSaveRegistrations(StoreData& data, const Location& where,
                                                    const StoredItem& item);

// Saves the item into the folder of where, running the synchronous save
// events with the item bits given (new item, delivered). A registration
// item also has its sink's Register called. Returns the item's id.
int64_t SaveItem(std::shared_ptr<StoreSession> session, const Location& where, StoredItem item,
                 int32_t itemFlags);

// The value the store's criteria see for a property of the item: its own,
// or the store's default for DAV:ishidden (true for registration items,
// false for the rest), DAV:iscollection, DAV:href and DAV:displayname.
Variant CriteriaValue(const StoredItem& item, std::string_view name);

}  // namespace platform::emulated
