#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Activation.h"
#include "platform/emulated/db/Faults.h"
#include "platform/emulated/db/ServerDb.h"
#include "platform/emulated/store/StoreData.h"
#include "platform/emulated/store/StoreSession.h"

// The emulated mail store as the tools and tests see it: the server's
// identity, mailbox stores with their system mailboxes, mailboxes with
// their folders, items with their properties, delivery of messages (which
// runs the store's synchronous save events) and planted faults. Misuse
// (an unknown store, a duplicate address) throws ServerError.
namespace platform::emulated {

struct MailboxStoreInfo {
    int64_t id = 0;
    std::string storageGroup;
    std::string name;
    std::string server;
    // Address of the store's system mailbox "SystemMailbox{GUID}".
    std::string systemMailbox;
};

struct NewMailbox {
    std::string address;
    std::string storageGroup;
    std::string storeName;
    // Display name and alias; by default the address's local part.
    std::string cn;
    std::string alias;
    // The Inbox's name, which may be localised ("Posteingang").
    std::string inboxName = "Inbox";
    // False makes a mailbox whose root exposes no fields.
    bool rootFields = true;
};

struct MailboxInfo {
    std::string address;
    std::string cn;
    std::string alias;
    std::string guid;
    std::string storageGroup;
    std::string storeName;
    std::string server;
    bool system = false;
    bool rootFields = true;
    std::string url;
    std::string inboxUrl;
};

struct FolderInfo {
    std::string path;
    std::string url;
    bool inbox = false;
};

// A message as delivered: subject, SCL (absent when the content filter did
// not rate it), keywords (array of strings, single string or absent) and
// comments.
struct DeliveredMessage {
    std::string subject;
    std::optional<int32_t> scl;
    Variant keywords;
    std::optional<std::string> comments;
    // Any further properties, set after the ones above.
    PropertyList extra;
};

class StoreModel {
  public:
    StoreModel(std::shared_ptr<ServerDb> db, Activation& activation);

    // Creates or replaces the mail server's name and DNS domain; stores
    // that the server owned move with it to the new name.
    void SetIdentity(const ServerIdentity& identity);
    std::optional<ServerIdentity> Identity();

    // Adds a mailbox store with its system mailbox and that mailbox's
    // StoreEvents/GlobalEvents folder. The owning server is this server
    // unless another (a cluster's virtual server) is named.
    MailboxStoreInfo AddStore(const std::string& storageGroup, const std::string& storeName,
                              const std::string& server = "");
    std::vector<MailboxStoreInfo> Stores();

    MailboxInfo AddMailbox(const NewMailbox& mailbox);
    // Adds the mailboxes in one transaction: all of them, or none when one
    // is refused. Returns how many were added.
    size_t AddMailboxes(const std::vector<NewMailbox>& mailboxes);
    std::vector<MailboxInfo> Mailboxes();
    std::optional<MailboxInfo> FindMailbox(const std::string& address);
    // Adds a folder (and the folders above it) to a mailbox; each new folder
    // is saved into its parent with the store's synchronous save events
    // (new item and collection bits).
    FolderInfo AddFolder(const std::string& address, const std::string& path);
    std::vector<FolderInfo> Folders(const std::string& address);

    // Items of the folder at url, by name; a missing folder throws ServerError.
    std::vector<StoredItem> Items(const std::string& folderUrl);
    // The item at url; a missing item throws ComError DB_E_NOTFOUND.
    StoredItem ReadItem(const std::string& url);
    // Deletes the item at url, running the store's synchronous delete
    // events; a missing item throws ComError DB_E_NOTFOUND.
    void DeleteItem(const std::string& url);
    // Every event registration item of the server.
    std::vector<StoredItem> RegistrationItems();

    // Delivers a new message into the folder at url, running the store's
    // synchronous save events; returns the new item's URL.
    std::string Deliver(const std::string& folderUrl, const DeliveredMessage& message);
    // The same into a mailbox's Inbox, whatever its name.
    std::string DeliverToInbox(const std::string& address, const DeliveredMessage& message);

    Faults& faults() { return faults_; }

  private:
    MailboxInfo Describe(const MailboxRow& mailbox);
    int64_t InsertMailbox(const NewMailbox& mailbox, int64_t storeId, bool system);
    // Checks and inserts one mailbox; the caller holds the transaction.
    void InsertNewMailbox(const NewMailbox& mailbox);
    MailboxRow RequireMailbox(const std::string& address);

    std::shared_ptr<StoreSession> session_;
    Faults faults_;
};

// The properties a delivered message is stored with.
PropertyList MessageProperties(const DeliveredMessage& message);

}  // namespace platform::emulated
