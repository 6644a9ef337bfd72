#pragma once

#include <string>
#include <vector>

#include "platform/emulated/db/ServerDb.h"
#include "tools/morvane-lab/Lab.h"

// The server's directory as a service the lab starts and stops: the SQLite
// one is marked running or stopped; Samba's domain controller is a process
// run from the server's folder, filled with the server's people whenever it
// starts, and ended by the lab.
namespace lab {

// Gives a new server Samba's directory: a domain in its folder, its schema
// extended; nothing runs yet.
void MakeSambaDirectory(platform::emulated::ServerDb& db);

// Gives an existing server the directory named ("sqlite" or "samba"),
// as init --directory does for a new one; the store stays as it is.
void UseDirectory(Lab& lab, const std::string& kind);

// Starts the directory (Samba's with the server's people in it).
void StartDirectory(Lab& lab);
// Stops it; false when it was not running.
bool StopDirectory(Lab& lab);
// Makes Samba's people the server's again when its domain controller runs.
void SyncDirectoryIfRunning(Lab& lab);
// Starts the directory, runs the command, stops the directory; the
// command's exit status. An interrupt or a termination ends the command
// and still stops the directory.
int RunWithDirectory(Lab& lab, const std::vector<std::string>& command);
// "samba, running on 127.x.y.z (global catalog port 3268)", ...
std::string DirectoryStatus(Lab& lab);

}  // namespace lab
