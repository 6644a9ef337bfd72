#include "setup/ComPlus.h"

#include <cstdint>

#include "platform/ComError.h"
#include "platform/Text.h"
#include "setup/basGlobals.h"

namespace setup::ComPlus {

namespace {

using platform::ComError;
using platform::catalog::CatalogCollection;

constexpr int32_t kLastInteger = 32767;  // the 16-bit position counter's limit

// The error step of every routine: what is the application's name
// followed by " COM+ Application" or " event source".
void LogFailure(ErrorLog& log, const std::string& verb, const std::string& what,
                const std::string& accountName, const ComError& error) {
    log.AddMessage(FailureText(
        "Attempt to " + verb + " " + what + " using '" + accountName + "' account", error));
}

std::string Application(const std::string& appName) {
    return appName + " COM+ Application";
}

std::string EventSource(const std::string& appName) {
    return appName + " event source";
}

// The library file the application is made with: current directory +
// separator + application name + the library's extension.
std::string LibraryFile(platform::FileSystem& fileSystem, const std::string& appName) {
    return fileSystem.JoinPath(fileSystem.CurrentDirectory(), fileSystem.LibraryFileName(appName));
}

// The source the sink reports under, with the library's message table.
void RegisterLibraryEventSource(ComPlusPorts& ports, const std::string& appName,
                                const std::string& accountName) {
    try {
        ports.eventSources.RegisterSource(appName, LibraryFile(ports.fileSystem, appName),
                                          kEventSourceTypesSupported);
    } catch (const ComError& error) {
        LogFailure(ports.log, "register", EventSource(appName), accountName, error);
    }
}

std::shared_ptr<CatalogCollection> PopulatedApplications(platform::catalog::AdminCatalog& catalog) {
    auto applications = catalog.GetCollection("Applications");
    applications->Populate();
    return applications;
}

bool IsNamed(platform::catalog::CatalogObject& object, const std::string& appName) {
    return platform::text::EqualsNoCase(object.Name().AppendToEmptyString(), appName);
}

// The position of the first application of that name, or -1. The position
// counts in 16 bits: running past 32767 is an overflow.
int32_t FirstPositionOf(CatalogCollection& applications, const std::string& appName) {
    const int32_t last = applications.Count() - 1;
    if (last > kLastInteger) {
        throw ComError(platform::runtime_error_number::kOverflow, "Overflow");
    }
    for (int32_t position = 0; position <= last; ++position) {
        auto application = applications.Item(position);
        if (application != nullptr && IsNamed(*application, appName)) {
            return position;
        }
        if (position == kLastInteger) {
            throw ComError(platform::runtime_error_number::kOverflow, "Overflow");
        }
    }
    return -1;
}

void AddApplication(CatalogCollection& applications, const std::string& appName) {
    auto application = applications.Add();
    application->SetValue("Name", appName);
    application->SetValue("ApplicationAccessChecksEnabled", false);
    application->SetValue("Identity", "NT AUTHORITY\\System");
}

}  // namespace

bool ComPlusAppExists(ComPlusPorts& ports, const std::string& appName,
                      const std::string& accountName) {
    bool exists = false;
    try {
        auto catalog = ports.catalog.CreateCatalog();
        auto applications = PopulatedApplications(*catalog);
        const int32_t count = applications->Count();
        for (int32_t position = 0; position < count && !exists; ++position) {
            auto application = applications->Item(position);
            exists = application != nullptr && IsNamed(*application, appName);
        }
    } catch (const ComError& error) {
        LogFailure(ports.log, "check the existence of", Application(appName), accountName, error);
    }
    return exists;
}

void InstallComPlusApp(ComPlusPorts& ports, const std::string& appName,
                       const std::string& accountName) {
    // An application that could not be made gets no event source.
    try {
        auto catalog = ports.catalog.CreateCatalog();
        auto applications = PopulatedApplications(*catalog);
        AddApplication(*applications, appName);
        applications->SaveChanges();
        catalog->InstallComponent(appName, LibraryFile(ports.fileSystem, appName), "", "");
        catalog->RefreshComponents();
        if (basGlobals::sWindowsVersion != "Windows 2000") {
            catalog->CreateServiceForApplication(appName, appName, "SERVICE_DEMAND_START",
                                                 "SERVICE_ERROR_NORMAL", "", ".\\localsystem", "",
                                                 false);
        }
    } catch (const ComError& error) {
        LogFailure(ports.log, "install", Application(appName), accountName, error);
        return;
    }
    RegisterLibraryEventSource(ports, appName, accountName);
}

void AddMissingEventSource(ComPlusPorts& ports, const std::string& appName,
                           const std::string& accountName) {
    try {
        if (ports.eventSources.SourceExists(appName))
            return;
    } catch (const ComError& error) {
        LogFailure(ports.log, "register", EventSource(appName), accountName, error);
        return;
    }
    RegisterLibraryEventSource(ports, appName, accountName);
}

void UninstallComPlusApp(ComPlusPorts& ports, const std::string& appName,
                         const std::string& accountName) {
    try {
        auto catalog = ports.catalog.CreateCatalog();
        auto applications = PopulatedApplications(*catalog);
        const int32_t position = FirstPositionOf(*applications, appName);
        if (position >= 0) {
            applications->Remove(position);
            applications->SaveChanges();
        }
    } catch (const ComError& error) {
        LogFailure(ports.log, "uninstall", Application(appName), accountName, error);
    }
}

void RemoveEventSource(ComPlusPorts& ports, const std::string& appName,
                       const std::string& accountName) {
    try {
        ports.eventSources.RemoveSource(appName);
    } catch (const ComError& error) {
        LogFailure(ports.log, "remove", EventSource(appName), accountName, error);
    }
}

}  // namespace setup::ComPlus
