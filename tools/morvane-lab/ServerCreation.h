#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/emulated/db/ServerDb.h"

// Creating a server folder whole or not at all: the new server is built in
// a fresh folder beside the target and renamed into place only when it is
// complete, so a failure never leaves a half-written server behind, and
// replacing a server (force) keeps the old one until the new one stands.
namespace lab {

using Populate = std::function<void(std::shared_ptr<platform::emulated::ServerDb>)>;

// Refuses (LabError) an existing server without force, and any non-empty
// folder that holds no server, with or without force.
void CreateServerFolder(const std::string& folder, bool force, const Populate& populate);

}  // namespace lab
