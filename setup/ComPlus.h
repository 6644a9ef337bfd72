#pragma once

#include <cstdint>
#include <string>

#include "platform/Catalog.h"
#include "platform/EventLog.h"
#include "platform/FileSystem.h"
#include "setup/ErrorLog.h"

// The COM+ application that hosts the sink library: test for it, create it
// (with the library installed and, except on Windows 2000, a Windows
// service) and remove it. Each routine logs its first failure as one entry
// "Attempt to <verb> <app> COM+ Application using '<account>' account -
// ERROR: <number> <description>" and returns normally. Beside it, the
// library's event source, under which the sink reports its failures to the
// Application log: registered with the application (and added at start-up
// to an application that has none), removed by the complete uninstall, each failure logged as
// "Attempt to <verb> <app> event source using '<account>' account - ERROR: <number> <description>".
namespace setup::ComPlus {

// What the routines work with.
struct ComPlusPorts {
    platform::catalog::Catalog& catalog;
    platform::FileSystem& fileSystem;
    ErrorLog& log;
    platform::EventSources& eventSources;
};

// True when an application of that name (any letter case) exists.
bool ComPlusAppExists(ComPlusPorts& ports, const std::string& appName,
                      const std::string& accountName);

// Creates the application, installs the library file from the current
// directory into it and, unless basGlobals::sWindowsVersion is exactly
// "Windows 2000", creates its service. Does not test for an existing one.
// Then, only when every step went well, registers the event source with
// that library file as its message file.
void InstallComPlusApp(ComPlusPorts& ports, const std::string& appName,
                       const std::string& accountName);

// Registers the event source, as the installation does, when it is not
// registered: for an application installed before the library reported to
// the event log.
void AddMissingEventSource(ComPlusPorts& ports, const std::string& appName,
                           const std::string& accountName);

// Removes the first application of that name (any letter case).
void UninstallComPlusApp(ComPlusPorts& ports, const std::string& appName,
                         const std::string& accountName);

// Removes the event source of that name; one that is not registered is no
// failure.
void RemoveEventSource(ComPlusPorts& ports, const std::string& appName,
                       const std::string& accountName);

// The event types the library's source is registered for: error, warning
// and information (EVENTLOG_*_TYPE).
constexpr uint32_t kEventSourceTypesSupported = 0x7;

}  // namespace setup::ComPlus
