#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/emulated/db/ServerDb.h"
#include "platform/emulated/store/StoreValues.h"

// The store's tables on one database connection: the server's identity,
// mailbox stores, mailboxes, folders and items, and how a URL names them.
// URLs are http://<server lower-case>/exadmin/<domain>/mbx/<address>/<folder
// path>/<item name>; every part compares without regard to case.
namespace platform::emulated {

struct ServerIdentity {
    std::string name;
    std::string domain;
};

struct MailboxRow {
    int64_t id = 0;
    std::string address;
    std::string cn;
    std::string alias;
    std::string guid;
    bool system = false;
    bool rootFields = true;
    int64_t storeId = 0;
    std::string storageGroup;
    std::string storeName;
    std::string server;
};

struct FolderRow {
    int64_t id = 0;
    int64_t mailboxId = 0;
    std::string path;  // "" for the mailbox root
    bool inbox = false;
};

// An item as read from the store or about to be written to it.
struct StoredItem {
    int64_t id = 0;  // 0: not in the store yet
    int64_t folderId = 0;
    std::string name;
    std::string url;
    PropertyList properties;
};

// What a URL names: a folder (the mailbox root included) or an item in an
// existing folder, which may or may not be there.
struct Location {
    enum class Kind { Folder, Item };
    Kind kind = Kind::Folder;
    MailboxRow mailbox;
    FolderRow folder;
    std::string url;
    std::string itemName;
    std::optional<int64_t> itemId;
};

// The folder path of the system mailbox's store-wide registrations.
inline constexpr std::string_view kGlobalEventsPath = "StoreEvents/GlobalEvents";

class StoreData {
  public:
    explicit StoreData(ServerDb& db) : db_(db) {}

    std::optional<ServerIdentity> Identity();
    // The identity; a server without one throws ServerError.
    ServerIdentity RequireIdentity();
    // "http://<server lower-case>/exadmin/<domain>/mbx/<address>"
    std::string MailboxUrl(std::string_view address);
    std::string FolderUrl(const MailboxRow& mailbox, const FolderRow& folder);

    // What the URL names; none when it names nothing of this server, a
    // missing mailbox or a missing folder.
    std::optional<Location> Resolve(std::string_view url);

    std::optional<MailboxRow> FindMailbox(std::string_view address);
    std::vector<MailboxRow> Mailboxes();
    std::vector<MailboxRow> SystemMailboxes(int64_t storeId);
    std::optional<FolderRow> FindFolder(int64_t mailboxId, std::string_view path);
    std::optional<FolderRow> FindInbox(int64_t mailboxId);
    std::vector<FolderRow> Folders(int64_t mailboxId);

    StoredItem ReadItem(int64_t itemId, const std::string& url);
    std::optional<int64_t> FindItem(int64_t folderId, std::string_view name);
    // Items of the folder, by name; with a content class only those.
    std::vector<StoredItem> Items(const MailboxRow& mailbox, const FolderRow& folder,
                                  std::optional<std::string_view> contentClass = std::nullopt);
    // The folder's event registration items, by name: looked up at every
    // save, and kept inside a snapshot until a registration item changes.
    std::vector<StoredItem> RegistrationItems(const MailboxRow& mailbox, const FolderRow& folder);
    // Writes the item with all its properties and returns its id. A new
    // item replaces one of the same name in the folder, or, without
    // replace, is stored under the name with "-1", "-2", ... added before
    // its extension. Call inside a write transaction.
    int64_t WriteItem(const StoredItem& item, bool replace = true);
    void DeleteItem(int64_t itemId);
    // Adds the folder at path unless the mailbox has it already.
    void InsertFolder(int64_t mailboxId, std::string_view path, bool inbox);

    // name, or the first of name-1, name-2, ... (before the extension) that
    // no item of the folder has.
    std::string FreeItemName(int64_t folderId, const std::string& name);

  private:
    // "http://<server lower-case>/exadmin/<domain>/mbx/"; none without an
    // identity.
    std::optional<std::string> MailboxesUrl();
    // The mailbox's folders as kept inside a snapshot; null outside one.
    const std::vector<FolderRow>* KeptFolders(int64_t mailboxId);
    std::optional<Location> ResolvePath(MailboxRow mailbox,
                                        const std::vector<std::string>& segments);

    ServerDb& db_;
};

// The description of DB_E_NOTFOUND, as the provider gives it.
inline constexpr std::string_view kNotFoundDescription =
    "Object or data matching the name, range, or selection criteria was not found within the "
    "scope of this operation.";
[[noreturn]] void ThrowNotFound();

// The properties the store gives a folder (the mailbox root aside).
PropertyList FolderProperties(std::string_view url, std::string_view displayName);

// "a/b/c" split at "/", empty parts dropped.
std::vector<std::string> SplitPath(std::string_view path);
std::string JoinPath(const std::vector<std::string>& parts, size_t count);

}  // namespace platform::emulated
