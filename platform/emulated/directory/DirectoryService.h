#pragma once

#include <string>

#include "platform/emulated/db/ServerDb.h"

// Which directory a server has, chosen when the server is made and kept
// with it: the SQLite one, whose people live in this database, or an
// Active Directory domain controller that Samba runs from the server's
// folder (SambaDomain.h), reached over LDAP. Both answer the same port.
namespace platform::emulated {

struct DirectoryService {
    enum class Kind { Sqlite, Samba };
    Kind kind = Kind::Sqlite;
    // Samba: the loopback address its LDAP and global catalog ports listen
    // on, and the account and password the provider binds with (the
    // logged-on user's credentials on the platform).
    std::string address;
    std::string account;
    std::string password;
    // The SQLite directory stopped (a planted stop, "morvane-lab
    // directory stop"); Samba's state is its process.
    bool stopped = false;
};

// The password of the account the provider binds as, in every directory
// made here; the SQLite directory refuses any other.
extern const char* const kBindPassword;

DirectoryService ReadDirectoryService(ServerDb& db);
void WriteDirectoryService(ServerDb& db, const DirectoryService& service);

// The SQLite directory's answer to the provider's bind: a password other
// than kBindPassword is refused as the platform refuses it (0x8007052E).
void CheckSqliteBind(const DirectoryService& service);

// "sqlite" or "samba"; ParseDirectoryKind throws std::invalid_argument
// for any other name.
const char* DirectoryKindName(DirectoryService::Kind kind);
DirectoryService::Kind ParseDirectoryKind(const std::string& name);

}  // namespace platform::emulated
