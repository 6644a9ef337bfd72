#include <string_view>
#include <vector>

#include "platform/emulated/db/ServerDb.h"

namespace platform::emulated {

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
    };
    return statements;
}

}  // namespace platform::emulated
