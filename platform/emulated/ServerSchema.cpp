#include <string_view>
#include <vector>

#include "platform/emulated/ServerDb.h"

namespace platform::emulated {

// Every table of the emulated server. Each part of the platform owns its
// own group below; all use CREATE TABLE IF NOT EXISTS.
const std::vector<std::string_view>& ServerSchemaStatements() {
    static const std::vector<std::string_view> statements = {
        // meta: identity and version of the file (written by ServerDb).
        R"(CREATE TABLE IF NOT EXISTS morvane_meta (
               key TEXT PRIMARY KEY,
               value TEXT NOT NULL))",
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
    };
    return statements;
}

}  // namespace platform::emulated
