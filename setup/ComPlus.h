#pragma once

#include <string>

#include "platform/Catalog.h"
#include "platform/FileSystem.h"
#include "setup/ErrorLog.h"

// The COM+ application that hosts the sink library: test for it, create it
// (with the library installed and, except on Windows 2000, a Windows
// service) and remove it. Each routine logs its first failure as one entry
// "Attempt to <verb> <app> COM+ Application using '<account>' account -
// ERROR: <number> <description>" and returns normally.
namespace setup::ComPlus {

// What the routines work with.
struct ComPlusPorts {
    platform::catalog::Catalog& catalog;
    platform::FileSystem& fileSystem;
    ErrorLog& log;
};

// True when an application of that name (any letter case) exists.
bool ComPlusAppExists(ComPlusPorts& ports, const std::string& appName,
                      const std::string& accountName);

// Creates the application, installs the library file from the current
// directory into it and, unless basGlobals::sWindowsVersion is exactly
// "Windows 2000", creates its service. Does not test for an existing one.
void InstallComPlusApp(ComPlusPorts& ports, const std::string& appName,
                       const std::string& accountName);

// Removes the first application of that name (any letter case).
void UninstallComPlusApp(ComPlusPorts& ports, const std::string& appName,
                         const std::string& accountName);

}  // namespace setup::ComPlus
