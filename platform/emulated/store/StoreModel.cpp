#include "platform/emulated/store/StoreModel.h"

#include <cstdio>
#include <random>

#include "platform/ComError.h"
#include "platform/Text.h"
#include "platform/emulated/store/StoreEvents.h"

namespace platform::emulated {

namespace {

constexpr std::string_view kSystemMailboxPrefix = "SystemMailbox";

// A new GUID in registry form, {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}.
std::string NewGuid() {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    uint64_t high = random();
    uint64_t low = random();
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%04X-%012llX}",
                  static_cast<unsigned>(high >> 32), static_cast<unsigned>((high >> 16) & 0xFFFF),
                  static_cast<unsigned>(high & 0xFFFF), static_cast<unsigned>(low >> 48),
                  static_cast<unsigned long long>(low & 0xFFFFFFFFFFFFULL));
    return text;
}

std::string LocalPart(const std::string& address) {
    size_t at = address.find('@');
    return at == std::string::npos ? address : address.substr(0, at);
}

// A subject as an item name: no "/" and never empty.
std::string ItemBaseName(const std::string& subject) {
    std::string name = text::Trim(subject);
    for (char& c : name) {
        if (c == '/' || c == '\\')
            c = '_';
    }
    return name.empty() ? "No Subject" : name;
}

}  // namespace

PropertyList MessageProperties(const DeliveredMessage& message) {
    PropertyList properties;
    properties.Set(property::kContentClass, Variant(std::string(content_class::kMessage)));
    properties.Set(property::kSubject, Variant(message.subject));
    if (message.scl)
        properties.Set(property::kScl, Variant(*message.scl));
    properties.Set(property::kKeywords, message.keywords);
    if (message.comments)
        properties.Set(property::kComments, Variant(*message.comments));
    for (const auto& [name, value] : message.extra.entries())
        properties.Set(name, value);
    return properties;
}

StoreModel::StoreModel(std::shared_ptr<ServerDb> db, Activation& activation)
    : session_(std::make_shared<StoreSession>(db, activation)), faults_(*db) {}

void StoreModel::SetIdentity(const ServerIdentity& identity) {
    if (identity.name.empty() || identity.domain.empty())
        throw ServerError("the mail server needs a name and a DNS domain");
    DbTransaction transaction(session_->db());
    if (auto old = session_->data().Identity()) {
        session_->db()
            .Prepare("UPDATE store_stores SET server = ?1 WHERE server = ?2")
            .Bind(1, std::string_view(identity.name))
            .Bind(2, std::string_view(old->name))
            .Run();
    }
    session_->db()
        .Prepare("INSERT OR REPLACE INTO store_server(id, name, domain) VALUES(1, ?1, ?2)")
        .Bind(1, std::string_view(identity.name))
        .Bind(2, std::string_view(identity.domain))
        .Run();
    transaction.Commit();
}

std::optional<ServerIdentity> StoreModel::Identity() {
    return session_->data().Identity();
}

MailboxStoreInfo StoreModel::AddStore(const std::string& storageGroup, const std::string& storeName,
                                      const std::string& server) {
    ServerIdentity identity = session_->data().RequireIdentity();
    const std::string& owner = server.empty() ? identity.name : server;
    DbTransaction transaction(session_->db());
    auto existing = session_->db().Prepare(
        "SELECT count(*) FROM store_stores WHERE storage_group = ?1 AND name = ?2");
    existing.Bind(1, std::string_view(storageGroup)).Bind(2, std::string_view(storeName)).Step();
    if (existing.Int(0) > 0)
        throw ServerError("the mailbox store " + storageGroup + "/" + storeName +
                          " exists already");
    session_->db()
        .Prepare("INSERT INTO store_stores(storage_group, name, server) VALUES(?1, ?2, ?3)")
        .Bind(1, std::string_view(storageGroup))
        .Bind(2, std::string_view(storeName))
        .Bind(3, std::string_view(owner))
        .Run();
    int64_t storeId = session_->db().LastInsertId();
    std::string alias = std::string(kSystemMailboxPrefix) + NewGuid();
    NewMailbox system{alias + "@" + identity.domain, storageGroup, storeName, alias, alias};
    int64_t mailboxId = InsertMailbox(system, storeId, true);
    session_->data().InsertFolder(mailboxId, "StoreEvents", false);
    session_->data().InsertFolder(mailboxId, std::string(kGlobalEventsPath), false);
    transaction.Commit();
    return MailboxStoreInfo{storeId, storageGroup, storeName, owner, system.address};
}

std::vector<MailboxStoreInfo> StoreModel::Stores() {
    auto query = session_->db().Prepare(
        "SELECT s.id, s.storage_group, s.name, s.server, "
        "(SELECT address FROM store_mailboxes m WHERE m.store_id = s.id AND m.is_system = 1 "
        "ORDER BY m.id LIMIT 1) FROM store_stores s ORDER BY s.storage_group, s.name");
    std::vector<MailboxStoreInfo> stores;
    while (query.Step()) {
        stores.push_back(MailboxStoreInfo{query.Int(0), query.Text(1), query.Text(2), query.Text(3),
                                          query.Text(4)});
    }
    return stores;
}

MailboxInfo StoreModel::AddMailbox(const NewMailbox& mailbox) {
    AddMailboxes({mailbox});
    return Describe(RequireMailbox(mailbox.address));
}

size_t StoreModel::AddMailboxes(const std::vector<NewMailbox>& mailboxes) {
    DbTransaction transaction(session_->db());
    for (const NewMailbox& mailbox : mailboxes)
        InsertNewMailbox(mailbox);
    transaction.Commit();
    return mailboxes.size();
}

void StoreModel::InsertNewMailbox(const NewMailbox& mailbox) {
    if (mailbox.address.empty() || mailbox.address.find('/') != std::string::npos)
        throw ServerError("a mailbox needs an address without '/'");
    if (mailbox.inboxName.empty() || mailbox.inboxName.find('/') != std::string::npos)
        throw ServerError("an Inbox needs a name without '/'");
    auto store = session_->db().Prepare(
        "SELECT id FROM store_stores WHERE storage_group = ?1 AND name = ?2");
    store.Bind(1, std::string_view(mailbox.storageGroup))
        .Bind(2, std::string_view(mailbox.storeName));
    if (!store.Step()) {
        throw ServerError("there is no mailbox store " + mailbox.storageGroup + "/" +
                          mailbox.storeName);
    }
    int64_t storeId = store.Int(0);
    if (session_->data().FindMailbox(mailbox.address))
        throw ServerError("the mailbox " + mailbox.address + " exists already");
    InsertMailbox(mailbox, storeId, false);
}

int64_t StoreModel::InsertMailbox(const NewMailbox& mailbox, int64_t storeId, bool system) {
    std::string local = LocalPart(mailbox.address);
    session_->db()
        .Prepare(
            "INSERT INTO store_mailboxes(address, store_id, cn, alias, guid, is_system, "
            "root_fields) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7)")
        .Bind(1, std::string_view(mailbox.address))
        .Bind(2, storeId)
        .Bind(3, std::string_view(mailbox.cn.empty() ? local : mailbox.cn))
        .Bind(4, std::string_view(mailbox.alias.empty() ? local : mailbox.alias))
        .Bind(5, std::string_view(NewGuid()))
        .Bind(6, int64_t{system ? 1 : 0})
        .Bind(7, int64_t{mailbox.rootFields ? 1 : 0})
        .Run();
    int64_t mailboxId = session_->db().LastInsertId();
    session_->data().InsertFolder(mailboxId, "", false);
    session_->data().InsertFolder(mailboxId, mailbox.inboxName, true);
    return mailboxId;
}

MailboxRow StoreModel::RequireMailbox(const std::string& address) {
    auto mailbox = session_->data().FindMailbox(address);
    if (!mailbox)
        throw ServerError("there is no mailbox " + address);
    return *mailbox;
}

MailboxInfo StoreModel::Describe(const MailboxRow& mailbox) {
    MailboxInfo info{mailbox.address,
                     mailbox.cn,
                     mailbox.alias,
                     mailbox.guid,
                     mailbox.storageGroup,
                     mailbox.storeName,
                     mailbox.server,
                     mailbox.system,
                     mailbox.rootFields,
                     session_->data().MailboxUrl(mailbox.address),
                     ""};
    if (auto inbox = session_->data().FindInbox(mailbox.id))
        info.inboxUrl = session_->data().FolderUrl(mailbox, *inbox);
    return info;
}

std::vector<MailboxInfo> StoreModel::Mailboxes() {
    std::vector<MailboxInfo> mailboxes;
    for (const MailboxRow& row : session_->data().Mailboxes())
        mailboxes.push_back(Describe(row));
    return mailboxes;
}

std::optional<MailboxInfo> StoreModel::FindMailbox(const std::string& address) {
    auto row = session_->data().FindMailbox(address);
    if (!row)
        return std::nullopt;
    return Describe(*row);
}

FolderInfo StoreModel::AddFolder(const std::string& address, const std::string& path) {
    MailboxRow mailbox = RequireMailbox(address);
    std::vector<std::string> parts = SplitPath(path);
    if (parts.empty())
        throw ServerError("a folder needs a path");
    // Each folder not there yet is saved into its parent with the store's
    // events, outside any transaction: a sink may use the store itself.
    std::optional<FolderRow> folder;
    for (size_t count = 1; count <= parts.size(); ++count) {
        const std::string folderPath = JoinPath(parts, count);
        folder = session_->data().FindFolder(mailbox.id, folderPath);
        if (!folder)
            folder = CreateFolder(session_, mailbox, folderPath);
    }
    return FolderInfo{folder->path, session_->data().FolderUrl(mailbox, *folder), folder->inbox};
}

std::vector<FolderInfo> StoreModel::Folders(const std::string& address) {
    MailboxRow mailbox = RequireMailbox(address);
    std::vector<FolderInfo> folders;
    for (const FolderRow& folder : session_->data().Folders(mailbox.id))
        folders.push_back(
            FolderInfo{folder.path, session_->data().FolderUrl(mailbox, folder), folder.inbox});
    return folders;
}

std::vector<StoredItem> StoreModel::Items(const std::string& folderUrl) {
    auto where = session_->data().Resolve(folderUrl);
    if (!where || where->kind != Location::Kind::Folder)
        throw ServerError("there is no folder " + folderUrl);
    return session_->data().Items(where->mailbox, where->folder);
}

StoredItem StoreModel::ReadItem(const std::string& url) {
    auto where = session_->data().Resolve(url);
    if (!where || !where->itemId)
        ThrowNotFound();
    return session_->data().ReadItem(*where->itemId, where->url);
}

void StoreModel::DeleteItem(const std::string& url) {
    auto where = session_->data().Resolve(url);
    if (!where || !where->itemId)
        ThrowNotFound();
    platform::emulated::DeleteItem(session_, *where);
}

std::vector<StoredItem> StoreModel::RegistrationItems() {
    std::vector<StoredItem> items;
    for (const MailboxRow& mailbox : session_->data().Mailboxes()) {
        for (const FolderRow& folder : session_->data().Folders(mailbox.id)) {
            for (StoredItem& item :
                 session_->data().Items(mailbox, folder, content_class::kEventRegistration))
                items.push_back(std::move(item));
        }
    }
    return items;
}

std::string StoreModel::Deliver(const std::string& folderUrl, const DeliveredMessage& message) {
    ReadSnapshot snapshot(session_->db());
    auto where = session_->data().Resolve(folderUrl);
    if (!where || where->kind != Location::Kind::Folder)
        throw ServerError("there is no folder " + folderUrl);
    StoredItem item;
    item.name =
        session_->data().FreeItemName(where->folder.id, ItemBaseName(message.subject) + ".EML");
    item.properties = MessageProperties(message);
    where->kind = Location::Kind::Item;
    int64_t id = SaveItem(session_, *where, std::move(item),
                          event_flag::kNewItem | event_flag::kIsDelivered);
    return session_->data().FolderUrl(where->mailbox, where->folder) + "/" +
           session_->data().ReadItem(id, "").name;
}

std::string StoreModel::DeliverToInbox(const std::string& address,
                                       const DeliveredMessage& message) {
    ReadSnapshot snapshot(session_->db());
    MailboxRow mailbox = RequireMailbox(address);
    auto inbox = session_->data().FindInbox(mailbox.id);
    if (!inbox)
        throw ServerError("the mailbox " + address + " has no Inbox");
    return Deliver(session_->data().FolderUrl(mailbox, *inbox), message);
}

}  // namespace platform::emulated
