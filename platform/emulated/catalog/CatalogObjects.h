#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Activation.h"
#include "platform/Catalog.h"
#include "platform/ComError.h"
#include "platform/emulated/db/ServerDb.h"

// The COM+ catalog of the emulated server: applications with their
// properties, the classes installed into them and their Windows services.
// InstallComponent loads the library through the activation layer, runs its
// DllRegisterServer and tags the classes it registered with the
// application; removing an application takes its classes and its service
// with it. Planted faults: catalog.create, catalog.populate,
// catalog.savechanges, catalog.installcomponent, catalog.createservice and
// catalog.remove (the application's name stands for the URL). Every
// application is a server application: its classes run in its one process
// (WindowsHosting.h), which ShutdownApplication and the application's
// removal end, and which ends after "ShutdownAfter" idle minutes.
namespace platform::emulated {

namespace catalog_error {
constexpr int32_t kObjectErrors = hresult::FromUnsigned(0x80110401);
constexpr int32_t kCompFileDoesNotExist = hresult::FromUnsigned(0x80110424);
constexpr int32_t kCompFileLoadDllFail = hresult::FromUnsigned(0x80110425);
constexpr int32_t kCompFileNotInstallable = hresult::FromUnsigned(0x80110429);
constexpr int32_t kObjectDoesNotExist = hresult::FromUnsigned(0x80110809);
constexpr int32_t kServiceExists = hresult::FromUnsigned(0x80070431);
}  // namespace catalog_error

// A Windows service created for an application.
struct CatalogService {
    std::string name;
    std::string startType;
    std::string errorControl;
    std::string dependencies;
    std::string runAs;
    bool desktopOk = false;
};

// "ShutdownAfter": the minutes an application's process stays idle before
// it ends, 3 unless set, from 0 (at once) to 1440 (a day).
inline constexpr const char* kShutdownAfter = "ShutdownAfter";
inline constexpr int32_t kDefaultShutdownAfter = 3;
inline constexpr int32_t kLongestShutdownAfter = 1440;
// The application's ShutdownAfter; the default for an application that
// does not exist. Database failures throw ServerError.
int32_t ApplicationShutdownAfter(ServerDb& db, const std::string& application);

// One application as "morvane-lab catalog list" shows it.
struct CatalogApplication {
    std::map<std::string, Variant> properties;  // "Name", "Identity", ...
    std::vector<std::string> components;        // ProgIDs of its classes
    std::optional<CatalogService> service;
};

// Every application, in catalog order.
std::vector<CatalogApplication> ListCatalogApplications(ServerDb& db);
// The same as text lines and as a JSON array of
// {"name":..., "properties":{...}, "components":[...], "service":{...}|null}.
std::string CatalogApplicationsText(const std::vector<CatalogApplication>& applications);
std::string CatalogApplicationsJson(const std::vector<CatalogApplication>& applications);

class EmulatedCatalog final : public catalog::Catalog {
  public:
    explicit EmulatedCatalog(Activation& activation,
                             std::function<std::string()> serverFolder = ServerFolder);
    // A server that cannot be opened: REGDB_E_CLASSNOTREG.
    std::shared_ptr<catalog::AdminCatalog> CreateCatalog() override;

  private:
    Activation& activation_;
    std::function<std::string()> serverFolder_;
};

}  // namespace platform::emulated
