#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Variant.h"
#include "platform/emulated/db/ServerDb.h"

// What the directory was last asked. Every command run keeps its text and
// the provider properties set on it in the server, so a test or a tool
// sees exactly what a program asked, in any process.
namespace platform::emulated {

struct DirectoryRequest {
    std::string commandText;
    // Names as the caller wrote them, in the order first set, each with the
    // value set last.
    std::vector<std::pair<std::string, Variant>> properties;
};

// Replaces the kept request with this one.
void RecordDirectoryRequest(ServerDb& db, const DirectoryRequest& request);
// The last request; none before the first command ran.
std::optional<DirectoryRequest> LastDirectoryRequest(ServerDb& db);

}  // namespace platform::emulated
