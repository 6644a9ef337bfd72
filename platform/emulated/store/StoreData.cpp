#include "platform/emulated/store/StoreData.h"

#include <algorithm>
#include <map>

#include "platform/ComError.h"
#include "platform/Text.h"

namespace platform::emulated {

namespace {

constexpr std::string_view kSelectMailbox =
    "SELECT m.id, m.address, m.cn, m.alias, m.guid, m.is_system, m.root_fields, s.id, "
    "s.storage_group, s.name, s.server FROM store_mailboxes m "
    "JOIN store_stores s ON s.id = m.store_id ";

MailboxRow ReadMailbox(const Statement& row) {
    MailboxRow mailbox;
    mailbox.id = row.Int(0);
    mailbox.address = row.Text(1);
    mailbox.cn = row.Text(2);
    mailbox.alias = row.Text(3);
    mailbox.guid = row.Text(4);
    mailbox.system = row.Int(5) != 0;
    mailbox.rootFields = row.Int(6) != 0;
    mailbox.storeId = row.Int(7);
    mailbox.storageGroup = row.Text(8);
    mailbox.storeName = row.Text(9);
    mailbox.server = row.Text(10);
    return mailbox;
}

constexpr std::string_view kSelectFolder =
    "SELECT id, mailbox_id, path, is_inbox FROM store_folders ";

FolderRow ReadFolder(const Statement& row) {
    return FolderRow{row.Int(0), row.Int(1), row.Text(2), row.Int(3) != 0};
}

std::vector<MailboxRow> QueryMailboxes(ServerDb& db, std::string_view where,
                                       std::optional<int64_t> parameter) {
    auto query = db.Prepare(std::string(kSelectMailbox) + std::string(where));
    if (parameter)
        query.Bind(1, *parameter);
    std::vector<MailboxRow> mailboxes;
    while (query.Step())
        mailboxes.push_back(ReadMailbox(query));
    return mailboxes;
}

// What a connection keeps of the store's layout while its configuration
// stays the same (ServerDb::KeptForConfiguration): the lookups that every
// URL of every call makes. Keys are the texts as asked, so a lookup in
// other letters asks the database. Each map is emptied when it grows
// large: a walk over every mailbox asks about each one a few times.
struct KeptLayout {
    template <typename Key, typename Value>
    using Map = std::map<Key, std::optional<Value>>;
    Map<int, ServerIdentity> identity;
    Map<int, std::string> mailboxesUrl;
    Map<std::string, MailboxRow> mailboxes;
    // Every folder of a mailbox, read at once: a call looks up its root,
    // its Inbox and the folder of an item.
    std::map<int64_t, std::vector<FolderRow>> folders;
    Map<int64_t, std::vector<MailboxRow>> systemMailboxes;
    Map<int64_t, std::vector<StoredItem>> registrationItems;
};

constexpr size_t kMaxKeptLookups = 512;

// The value for key as the layout kept it, else as load reads it (and kept
// for the rest of the configuration generation). Outside a snapshot
// nothing is kept.
template <typename Value, typename Key, typename Load>
std::optional<Value> Kept(ServerDb& db, KeptLayout::Map<Key, Value> KeptLayout::*map, Key key,
                          Load&& load) {
    KeptLayout* kept = db.KeptForConfiguration<KeptLayout>();
    if (!kept)
        return load();
    auto& values = kept->*map;
    if (auto found = values.find(key); found != values.end())
        return found->second;
    if (values.size() >= kMaxKeptLookups)
        values.clear();
    std::optional<Value> value = load();
    values.emplace(std::move(key), value);
    return value;
}

// Folder paths compare as the database's NOCASE does: only A to Z fold.
bool EqualsAsciiNoCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        return fold(x) == fold(y);
    });
}

[[noreturn]] void ThrowNoIdentity() {
    throw ServerError("the emulated server has no mail server name yet");
}

// text for a LIKE pattern with "!" as the escape character.
std::string LikePattern(std::string_view text) {
    std::string pattern;
    for (char c : text) {
        if (c == '%' || c == '_' || c == '!')
            pattern += '!';
        pattern += c;
    }
    return pattern;
}

}  // namespace

void ThrowNotFound() {
    throw ComError(hresult::DB_E_NOTFOUND, std::string(kNotFoundDescription));
}

std::vector<std::string> SplitPath(std::string_view path) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (end > start)
            parts.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string JoinPath(const std::vector<std::string>& parts, size_t count) {
    std::string path;
    for (size_t i = 0; i < count && i < parts.size(); ++i) {
        if (i > 0)
            path += '/';
        path += parts[i];
    }
    return path;
}

std::optional<ServerIdentity> StoreData::Identity() {
    return Kept<ServerIdentity>(db_, &KeptLayout::identity, 0, [&] {
        std::optional<ServerIdentity> identity;
        auto query = db_.Prepare("SELECT name, domain FROM store_server WHERE id = 1");
        if (query.Step())
            identity = ServerIdentity{query.Text(0), query.Text(1)};
        return identity;
    });
}

ServerIdentity StoreData::RequireIdentity() {
    auto identity = Identity();
    if (!identity)
        ThrowNoIdentity();
    return *identity;
}

std::optional<std::string> StoreData::MailboxesUrl() {
    return Kept<std::string>(db_, &KeptLayout::mailboxesUrl, 0,
                             [&]() -> std::optional<std::string> {
                                 auto identity = Identity();
                                 if (!identity)
                                     return std::nullopt;
                                 return "http://" + text::ToLower(identity->name) + "/exadmin/" +
                                        identity->domain + "/mbx/";
                             });
}

std::string StoreData::MailboxUrl(std::string_view address) {
    std::optional<std::string> url = MailboxesUrl();
    if (!url)
        ThrowNoIdentity();
    return *url + std::string(address);
}

std::string StoreData::FolderUrl(const MailboxRow& mailbox, const FolderRow& folder) {
    std::string url = MailboxUrl(mailbox.address);
    return folder.path.empty() ? url : url + "/" + folder.path;
}

std::optional<Location> StoreData::Resolve(std::string_view url) {
    const std::optional<std::string> prefix = MailboxesUrl();
    if (!prefix || !text::StartsWithNoCase(url, *prefix))
        return std::nullopt;
    std::vector<std::string> segments = SplitPath(url.substr(prefix->size()));
    if (segments.empty())
        return std::nullopt;
    auto mailbox = FindMailbox(segments.front());
    if (!mailbox)
        return std::nullopt;
    segments.erase(segments.begin());
    return ResolvePath(std::move(*mailbox), segments);
}

std::optional<Location> StoreData::ResolvePath(MailboxRow mailboxRow,
                                               const std::vector<std::string>& segments) {
    Location location;
    location.mailbox = std::move(mailboxRow);
    const MailboxRow& mailbox = location.mailbox;
    if (auto folder = FindFolder(mailbox.id, JoinPath(segments, segments.size()))) {
        location.folder = *folder;
        location.url = FolderUrl(mailbox, *folder);
        return location;
    }
    if (segments.empty())
        return std::nullopt;
    auto folder = FindFolder(mailbox.id, JoinPath(segments, segments.size() - 1));
    if (!folder)
        return std::nullopt;
    location.kind = Location::Kind::Item;
    location.folder = *folder;
    location.itemName = segments.back();
    auto item = db_.Prepare("SELECT id, name FROM store_items WHERE folder_id = ?1 AND name = ?2");
    item.Bind(1, folder->id).Bind(2, std::string_view(segments.back()));
    if (item.Step()) {
        location.itemId = item.Int(0);
        location.itemName = item.Text(1);  // as stored, whatever the URL's letter case
    }
    location.url = FolderUrl(mailbox, *folder) + "/" + location.itemName;
    return location;
}

std::optional<MailboxRow> StoreData::FindMailbox(std::string_view address) {
    return Kept<MailboxRow>(db_, &KeptLayout::mailboxes, std::string(address), [&] {
        auto query = db_.Prepare(std::string(kSelectMailbox) + "WHERE m.address = ?1");
        query.Bind(1, address);
        return query.Step() ? std::optional(ReadMailbox(query)) : std::nullopt;
    });
}

std::vector<MailboxRow> StoreData::Mailboxes() {
    return QueryMailboxes(db_, "ORDER BY s.storage_group, s.name, m.address", std::nullopt);
}

std::vector<MailboxRow> StoreData::SystemMailboxes(int64_t storeId) {
    return *Kept<std::vector<MailboxRow>>(db_, &KeptLayout::systemMailboxes, storeId, [&] {
        return std::optional(QueryMailboxes(
            db_, "WHERE m.store_id = ?1 AND m.is_system = 1 ORDER BY m.id", storeId));
    });
}

std::optional<FolderRow> StoreData::FindFolder(int64_t mailboxId, std::string_view path) {
    if (const std::vector<FolderRow>* folders = KeptFolders(mailboxId)) {
        auto found = std::find_if(folders->begin(), folders->end(), [&](const FolderRow& folder) {
            return EqualsAsciiNoCase(folder.path, path);
        });
        return found == folders->end() ? std::nullopt : std::optional(*found);
    }
    auto query = db_.Prepare(std::string(kSelectFolder) + "WHERE mailbox_id = ?1 AND path = ?2");
    query.Bind(1, mailboxId).Bind(2, path);
    if (!query.Step())
        return std::nullopt;
    return ReadFolder(query);
}

std::optional<FolderRow> StoreData::FindInbox(int64_t mailboxId) {
    if (const std::vector<FolderRow>* folders = KeptFolders(mailboxId)) {
        std::optional<FolderRow> inbox;
        for (const FolderRow& folder : *folders) {
            if (folder.inbox && (!inbox || folder.id < inbox->id))
                inbox = folder;
        }
        return inbox;
    }
    auto query = db_.Prepare(std::string(kSelectFolder) + "WHERE mailbox_id = ?1 AND is_inbox = 1");
    query.Bind(1, mailboxId);
    if (!query.Step())
        return std::nullopt;
    return ReadFolder(query);
}

const std::vector<FolderRow>* StoreData::KeptFolders(int64_t mailboxId) {
    KeptLayout* kept = db_.KeptForConfiguration<KeptLayout>();
    if (!kept)
        return nullptr;
    auto found = kept->folders.find(mailboxId);
    if (found == kept->folders.end()) {
        if (kept->folders.size() >= kMaxKeptLookups)
            kept->folders.clear();
        found = kept->folders.emplace(mailboxId, Folders(mailboxId)).first;
    }
    return &found->second;
}

std::vector<FolderRow> StoreData::Folders(int64_t mailboxId) {
    auto query = db_.Prepare(std::string(kSelectFolder) + "WHERE mailbox_id = ?1 ORDER BY path");
    query.Bind(1, mailboxId);
    std::vector<FolderRow> folders;
    while (query.Step())
        folders.push_back(ReadFolder(query));
    return folders;
}

StoredItem StoreData::ReadItem(int64_t itemId, const std::string& url) {
    StoredItem item;
    auto head = db_.Prepare("SELECT folder_id, name FROM store_items WHERE id = ?1");
    head.Bind(1, itemId);
    if (!head.Step())
        throw ServerError("item " + std::to_string(itemId) + " is not in the store");
    item.id = itemId;
    item.folderId = head.Int(0);
    item.name = head.Text(1);
    item.url = url;
    auto properties = db_.Prepare(
        "SELECT name, value FROM store_properties WHERE item_id = ?1 ORDER BY position");
    properties.Bind(1, itemId);
    while (properties.Step())
        item.properties.Set(properties.Text(0), DecodeValue(properties.Text(1)));
    return item;
}

std::optional<int64_t> StoreData::FindItem(int64_t folderId, std::string_view name) {
    auto query = db_.Prepare("SELECT id FROM store_items WHERE folder_id = ?1 AND name = ?2");
    query.Bind(1, folderId).Bind(2, name);
    if (!query.Step())
        return std::nullopt;
    return query.Int(0);
}

std::vector<StoredItem> StoreData::Items(const MailboxRow& mailbox, const FolderRow& folder,
                                         std::optional<std::string_view> contentClass) {
    std::string sql = "SELECT id, name FROM store_items WHERE folder_id = ?1";
    if (contentClass)
        sql += " AND content_class = ?2";
    auto query = db_.Prepare(sql + " ORDER BY name");
    query.Bind(1, folder.id);
    if (contentClass)
        query.Bind(2, *contentClass);
    std::vector<std::pair<int64_t, std::string>> rows;
    while (query.Step())
        rows.emplace_back(query.Int(0), query.Text(1));
    std::string folderUrl = FolderUrl(mailbox, folder);
    std::vector<StoredItem> items;
    for (const auto& [id, name] : rows)
        items.push_back(ReadItem(id, folderUrl + "/" + name));
    return items;
}

std::vector<StoredItem> StoreData::RegistrationItems(const MailboxRow& mailbox,
                                                     const FolderRow& folder) {
    return *Kept<std::vector<StoredItem>>(db_, &KeptLayout::registrationItems, folder.id, [&] {
        return std::optional(Items(mailbox, folder, content_class::kEventRegistration));
    });
}

std::string StoreData::FreeItemName(int64_t folderId, const std::string& name) {
    size_t dot = name.rfind('.');
    std::string base = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
    std::string extension = base.size() == name.size() ? "" : name.substr(dot);
    if (!FindItem(folderId, name))
        return name;
    // Start after the numbered names the folder holds already, so that many
    // messages of one subject do not search from 1 each time.
    auto numbered = db_.Prepare(
        "SELECT count(*) FROM store_items WHERE folder_id = ?1 AND name LIKE ?2 ESCAPE '!'");
    numbered.Bind(1, folderId)
        .Bind(2, std::string_view(LikePattern(base) + "-%" + LikePattern(extension)));
    numbered.Step();
    int64_t n = numbered.Int(0);
    numbered.Reset();
    std::string candidate;
    do {
        candidate = base + "-" + std::to_string(++n) + extension;
    } while (FindItem(folderId, candidate));
    return candidate;
}

int64_t StoreData::WriteItem(const StoredItem& item, bool replace) {
    std::string contentClass = item.properties.Get(property::kContentClass).IsString()
                                   ? item.properties.Get(property::kContentClass).AsString()
                                   : "";
    int64_t id = item.id;
    if (id == 0) {
        db_.Prepare("DELETE FROM store_items WHERE folder_id = ?1 AND name = ?2 AND ?3")
            .Bind(1, item.folderId)
            .Bind(2, std::string_view(item.name))
            .Bind(3, int64_t{replace ? 1 : 0})
            .Run();
        db_.Prepare("INSERT INTO store_items(folder_id, name, content_class) VALUES(?1, ?2, ?3)")
            .Bind(1, item.folderId)
            .Bind(2, std::string_view(replace ? item.name : FreeItemName(item.folderId, item.name)))
            .Bind(3, std::string_view(contentClass))
            .Run();
        id = db_.LastInsertId();
    } else {
        db_.Prepare("UPDATE store_items SET content_class = ?2 WHERE id = ?1")
            .Bind(1, id)
            .Bind(2, std::string_view(contentClass))
            .Run();
        if (db_.Changes() == 0)
            ThrowNotFound();
        db_.Prepare("DELETE FROM store_properties WHERE item_id = ?1").Bind(1, id).Run();
    }
    auto insert = db_.Prepare(
        "INSERT INTO store_properties(item_id, position, name, value) VALUES(?1, ?2, ?3, ?4)");
    int64_t position = 0;
    for (const auto& [name, value] : item.properties.entries()) {
        insert.Bind(1, id)
            .Bind(2, position++)
            .Bind(3, std::string_view(name))
            .Bind(4, std::string_view(EncodeValue(value)));
        insert.Run();
        insert.Reset();
    }
    return id;
}

void StoreData::DeleteItem(int64_t itemId) {
    db_.Prepare("DELETE FROM store_items WHERE id = ?1").Bind(1, itemId).Run();
}

void StoreData::InsertFolder(int64_t mailboxId, std::string_view path, bool inbox) {
    db_.Prepare(
           "INSERT OR IGNORE INTO store_folders(mailbox_id, path, is_inbox) VALUES(?1, ?2, ?3)")
        .Bind(1, mailboxId)
        .Bind(2, path)
        .Bind(3, int64_t{inbox ? 1 : 0})
        .Run();
}

PropertyList FolderProperties(std::string_view url, std::string_view displayName) {
    PropertyList properties;
    properties.Set(property::kHref, Variant(std::string(url)));
    properties.Set(property::kDisplayName, Variant(std::string(displayName)));
    properties.Set(property::kIsCollection, Variant(true));
    properties.Set(property::kContentClass, Variant(std::string(content_class::kFolder)));
    return properties;
}

}  // namespace platform::emulated
