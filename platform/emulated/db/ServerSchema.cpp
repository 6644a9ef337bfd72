#include <string>
#include <string_view>
#include <vector>

#include "platform/emulated/db/ServerDb.h"

namespace platform::emulated {

namespace {

struct WatchedTable {
    std::string_view table;
    // The condition on a changed row (written with ROW for NEW or OLD);
    // empty: every change counts.
    std::string_view rowCondition;
};

// What the values processes keep are made from: the store's identity,
// stores, mailboxes and folders, the registration items (in any letter
// case of their content class) with their properties, the class registry
// and the planted faults. Messages change nothing here.
constexpr WatchedTable kWatchedTables[] = {
    {"store_server", ""},
    {"store_stores", ""},
    {"store_mailboxes", ""},
    {"store_folders", ""},
    {"store_items", "ROW.content_class = 'urn:content-class:storeeventreg' COLLATE NOCASE"},
    {"store_properties",
     "EXISTS (SELECT 1 FROM store_items WHERE id = ROW.item_id AND "
     "content_class = 'urn:content-class:storeeventreg' COLLATE NOCASE)"},
    {"registry_classes", ""},
    {"registry_prog_ids", ""},
    {"registry_libraries", ""},
    {"faults", ""},
};

std::string Replace(std::string text, std::string_view from, std::string_view to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// One trigger per table and kind of change; an update counts when the row
// met the condition before or after it.
std::string Trigger(const WatchedTable& watched, std::string_view event) {
    const std::string condition(watched.rowCondition);
    std::string when;
    if (!condition.empty()) {
        if (event == "INSERT")
            when = Replace(condition, "ROW.", "NEW.");
        else if (event == "DELETE")
            when = Replace(condition, "ROW.", "OLD.");
        else
            when = Replace(condition, "ROW.", "OLD.") + " OR " + Replace(condition, "ROW.", "NEW.");
        when = " WHEN " + when;
    }
    return "CREATE TRIGGER IF NOT EXISTS configuration_" + std::string(watched.table) + "_" +
           std::string(event) + " AFTER " + std::string(event) + " ON " +
           std::string(watched.table) + when +
           " BEGIN UPDATE configuration_generation SET value = value + 1 WHERE id = 1; END";
}

const std::vector<std::string>& ConfigurationTriggers() {
    static const std::vector<std::string> triggers = [] {
        std::vector<std::string> all;
        for (const WatchedTable& watched : kWatchedTables) {
            for (std::string_view event : {"INSERT", "UPDATE", "DELETE"})
                all.push_back(Trigger(watched, event));
        }
        return all;
    }();
    return triggers;
}

}  // namespace

// Every table of the emulated server. Each part of the platform owns its
// own group below; all use CREATE TABLE IF NOT EXISTS.
const std::vector<std::string_view>& ServerSchemaStatements() {
    static const std::vector<std::string_view> statements = {
        // meta: identity and version of the file (written by ServerDb).
        R"(CREATE TABLE IF NOT EXISTS morvane_meta (
               key TEXT PRIMARY KEY,
               value TEXT NOT NULL))",
        // store: the mail server's identity, its mailbox stores, mailboxes,
        // folders and items with their properties.
        R"(CREATE TABLE IF NOT EXISTS store_server (
               id INTEGER PRIMARY KEY CHECK (id = 1),
               name TEXT NOT NULL,
               domain TEXT NOT NULL))",
        R"(CREATE TABLE IF NOT EXISTS store_stores (
               id INTEGER PRIMARY KEY,
               storage_group TEXT NOT NULL COLLATE NOCASE,
               name TEXT NOT NULL COLLATE NOCASE,
               server TEXT NOT NULL,
               UNIQUE (storage_group, name)))",
        R"(CREATE TABLE IF NOT EXISTS store_mailboxes (
               id INTEGER PRIMARY KEY,
               address TEXT NOT NULL UNIQUE COLLATE NOCASE,
               store_id INTEGER NOT NULL REFERENCES store_stores(id) ON DELETE CASCADE,
               cn TEXT NOT NULL,
               alias TEXT NOT NULL,
               guid TEXT NOT NULL,
               is_system INTEGER NOT NULL DEFAULT 0,
               root_fields INTEGER NOT NULL DEFAULT 1))",
        R"(CREATE TABLE IF NOT EXISTS store_folders (
               id INTEGER PRIMARY KEY,
               mailbox_id INTEGER NOT NULL REFERENCES store_mailboxes(id) ON DELETE CASCADE,
               path TEXT NOT NULL COLLATE NOCASE,
               is_inbox INTEGER NOT NULL DEFAULT 0,
               UNIQUE (mailbox_id, path)))",
        R"(CREATE TABLE IF NOT EXISTS store_items (
               id INTEGER PRIMARY KEY,
               folder_id INTEGER NOT NULL REFERENCES store_folders(id) ON DELETE CASCADE,
               name TEXT NOT NULL COLLATE NOCASE,
               content_class TEXT NOT NULL DEFAULT '',
               UNIQUE (folder_id, name)))",
        R"(CREATE INDEX IF NOT EXISTS store_items_by_class
               ON store_items(content_class, folder_id))",
        R"(CREATE TABLE IF NOT EXISTS store_properties (
               item_id INTEGER NOT NULL REFERENCES store_items(id) ON DELETE CASCADE,
               position INTEGER NOT NULL,
               name TEXT NOT NULL COLLATE NOCASE,
               value TEXT NOT NULL,
               PRIMARY KEY (item_id, name)))",
        // faults: failures planted at named operations (Faults.h).
        R"(CREATE TABLE IF NOT EXISTS faults (
               id INTEGER PRIMARY KEY,
               operation TEXT NOT NULL,
               url_pattern TEXT,
               hresult INTEGER NOT NULL,
               description TEXT NOT NULL,
               remaining INTEGER))",
        // registry: class registrations and keys (Registry.cpp).
        R"(CREATE TABLE IF NOT EXISTS registry_classes (
               clsid TEXT PRIMARY KEY COLLATE NOCASE,
               prog_id TEXT NOT NULL,
               library_path TEXT NOT NULL,
               threading_model TEXT NOT NULL,
               type_library TEXT NOT NULL,
               type_library_version TEXT NOT NULL,
               application TEXT COLLATE NOCASE))",
        R"(CREATE INDEX IF NOT EXISTS registry_classes_by_library
               ON registry_classes(library_path))",
        // The kind of each registered library file (native or Windows), kept
        // when its classes are registered.
        R"(CREATE TABLE IF NOT EXISTS registry_libraries (
               library_path TEXT PRIMARY KEY,
               kind TEXT NOT NULL))",
        R"(CREATE TABLE IF NOT EXISTS registry_prog_ids (
               prog_id TEXT PRIMARY KEY COLLATE NOCASE,
               clsid TEXT NOT NULL COLLATE NOCASE))",
        R"(CREATE TABLE IF NOT EXISTS registry_type_libraries (
               library_id TEXT NOT NULL COLLATE NOCASE,
               version TEXT NOT NULL COLLATE NOCASE,
               name TEXT NOT NULL,
               library_path TEXT NOT NULL,
               PRIMARY KEY (library_id, version)))",
        R"(CREATE TABLE IF NOT EXISTS registry_interfaces (
               interface_id TEXT PRIMARY KEY COLLATE NOCASE,
               name TEXT NOT NULL,
               type_library TEXT NOT NULL,
               type_library_version TEXT NOT NULL))",
        R"(CREATE TABLE IF NOT EXISTS registry_keys (
               hive TEXT NOT NULL COLLATE NOCASE,
               path TEXT NOT NULL COLLATE NOCASE,
               PRIMARY KEY (hive, path)))",
        // machine and catalog: the machine facts (MachineFacts.cpp) and the
        // COM+ catalog's applications, properties and services
        // (CatalogStore.cpp).
        R"(CREATE TABLE IF NOT EXISTS machine_facts (
               key TEXT PRIMARY KEY,
               value TEXT NOT NULL))",
        R"(CREATE TABLE IF NOT EXISTS catalog_applications (
               id INTEGER PRIMARY KEY AUTOINCREMENT))",
        R"(CREATE TABLE IF NOT EXISTS catalog_properties (
               application_id INTEGER NOT NULL,
               name TEXT NOT NULL COLLATE NOCASE,
               type TEXT NOT NULL,
               value TEXT NOT NULL,
               PRIMARY KEY (application_id, name)))",
        R"(CREATE TABLE IF NOT EXISTS catalog_services (
               application_id INTEGER PRIMARY KEY,
               name TEXT NOT NULL,
               start_type TEXT NOT NULL,
               error_control TEXT NOT NULL,
               dependencies TEXT NOT NULL,
               run_as TEXT NOT NULL,
               desktop_ok INTEGER NOT NULL))",
        // machine: the Application event log, its entries' insert strings
        // and the registered event sources (MachineEventLog.cpp).
        R"(CREATE TABLE IF NOT EXISTS machine_event_log (
               record_number INTEGER PRIMARY KEY AUTOINCREMENT,
               time_written TEXT NOT NULL,
               source TEXT NOT NULL,
               type INTEGER NOT NULL,
               event_id INTEGER NOT NULL))",
        R"(CREATE TABLE IF NOT EXISTS machine_event_inserts (
               record_number INTEGER NOT NULL
                   REFERENCES machine_event_log(record_number) ON DELETE CASCADE,
               position INTEGER NOT NULL,
               text TEXT NOT NULL,
               PRIMARY KEY (record_number, position)))",
        R"(CREATE TABLE IF NOT EXISTS machine_event_sources (
               source TEXT PRIMARY KEY COLLATE NOCASE,
               message_file TEXT NOT NULL,
               types_supported INTEGER NOT NULL))",
        // directory: people added besides the store's mailboxes
        // (DirectoryPeople.cpp); a null column is an absent attribute.
        R"(CREATE TABLE IF NOT EXISTS directory_people (
               id INTEGER PRIMARY KEY,
               cn TEXT NOT NULL,
               mail TEXT,
               mail_nick_name TEXT,
               sam_account_name TEXT,
               home_server TEXT,
               home_mdb TEXT,
               mailbox_guid TEXT,
               account_control INTEGER,
               adspath TEXT))",
        // directory: which directory the server has, when it is not the
        // emulated one (DirectoryService.cpp); no row: the emulated one.
        R"(CREATE TABLE IF NOT EXISTS directory_service (
               id INTEGER PRIMARY KEY CHECK (id = 1),
               kind TEXT NOT NULL,
               address TEXT NOT NULL,
               account TEXT NOT NULL,
               password TEXT NOT NULL,
               stopped INTEGER NOT NULL DEFAULT 0))",
        // directory: the last command run and the properties set on it
        // (DirectoryRequests.cpp).
        R"(CREATE TABLE IF NOT EXISTS directory_last_request (
               id INTEGER PRIMARY KEY CHECK (id = 1),
               command_text TEXT NOT NULL))",
        R"(CREATE TABLE IF NOT EXISTS directory_last_properties (
               position INTEGER PRIMARY KEY,
               name TEXT NOT NULL,
               value TEXT NOT NULL))",
        // delivery: the registration items of a folder in name order, found
        // at every save without walking the folder's messages.
        R"(CREATE INDEX IF NOT EXISTS store_items_by_folder_class
               ON store_items(folder_id, content_class, name))",
        // configuration: a number that changes with every change of what
        // processes keep derived values of (ServerDb::ConfigurationGeneration);
        // the triggers below change it.
        R"(CREATE TABLE IF NOT EXISTS configuration_generation (
               id INTEGER PRIMARY KEY CHECK (id = 1),
               value INTEGER NOT NULL))",
    };
    static const std::vector<std::string_view> all = [] {
        std::vector<std::string_view> joined = statements;
        for (const std::string& trigger : ConfigurationTriggers())
            joined.push_back(trigger);
        return joined;
    }();
    return all;
}

}  // namespace platform::emulated
