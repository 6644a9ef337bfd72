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
    };
    return statements;
}

}  // namespace platform::emulated
