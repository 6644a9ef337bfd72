#pragma once

#include <string>
#include <vector>

#include "platform/emulated/directory/DirectoryPeople.h"

// The Active Directory domain controller of a server whose directory is
// Samba's: a domain provisioned into the folder "samba" of the server's
// folder, its schema extended with the mail attributes the mailbox walk
// reads (msExchHomeServerName, mailNickname, homeMDB, msExchMailboxGuid, in
// the global catalog), served by one samba process on a loopback address of
// its own, and holding the server's people. Nothing outside the server's
// folder is written. Failures throw ServerError with what went wrong.
namespace platform::emulated::samba {

// "Administrator@<domain>": the account the provider binds as.
std::string BindAccount(const DirectoryNames& names);

// <serverFolder>/samba
std::string DomainFolder(const std::string& serverFolder);

// Provisions the domain for the names (realm: the domain; the domain
// controller: the global catalog host) and extends its schema. With
// $MORVANE_SAMBA_TEMPLATES set, a domain of the same names is provisioned
// once into that folder and copied from there.
void ProvisionDomain(const std::string& serverFolder, const DirectoryNames& names);

// Starts the domain controller unless it runs, on a loopback address of
// its own, and waits until its global catalog answers; returns the address.
std::string StartDomain(const std::string& serverFolder, const DirectoryNames& names);
// Ends the domain controller's process; false when none ran.
bool StopDomain(const std::string& serverFolder);
bool DomainRunning(const std::string& serverFolder);

// Makes the people of the running domain those given: adds, changes and
// removes the people it made before (never the domain's own accounts).
// Returns how many entries it changed.
int SyncPeople(const std::string& address, const DirectoryNames& names,
               const std::vector<Person>& people);

}  // namespace platform::emulated::samba
