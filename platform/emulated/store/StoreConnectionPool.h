#pragma once

#include <memory>
#include <string>

#include "platform/emulated/db/ServerDb.h"

namespace platform::emulated {

// A database connection to the server in folder for one store connection,
// taken from the connections this process has kept open, as the platform's
// data access layer pools its connections. Opening one parses the whole
// schema; a store connection lives for one call of the sink library.
//
// The connection is the caller's alone until its last handle goes; then a
// transaction still open on it is rolled back and it goes back to the pool.
// It reads what other processes committed, as any connection does. A kept
// connection is used again only for the same database file: a server
// folder replaced meanwhile (morvane-lab init --force) gets new ones. A
// child process never uses its parent's connections.
std::shared_ptr<ServerDb> TakePooledServer(const std::string& folder);

}  // namespace platform::emulated
