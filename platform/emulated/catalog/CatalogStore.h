#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/Variant.h"
#include "platform/emulated/activation/Registry.h"
#include "platform/emulated/catalog/CatalogObjects.h"
#include "platform/emulated/db/ServerDb.h"

// The catalog's tables: reading and writing applications, their properties
// and services. Used by the catalog objects and the listing.
namespace platform::emulated::catalog_store {

struct StoredApplication {
    int64_t id = 0;
    std::map<std::string, Variant> properties;
};

std::vector<StoredApplication> ReadApplications(ServerDb& db);
int64_t InsertApplication(ServerDb& db, const std::map<std::string, Variant>& properties);
void UpdateApplication(ServerDb& db, int64_t id, const std::map<std::string, Variant>& properties);
// Deletes the application with its service and the classes installed in
// it; returns the classes that went.
std::vector<ClassEntry> DeleteApplication(ServerDb& db, int64_t id);
// The id of the first application of that name (any letter case).
std::optional<int64_t> FindApplication(ServerDb& db, const std::string& name);
std::string ApplicationName(const std::map<std::string, Variant>& properties);

std::optional<CatalogService> ReadService(ServerDb& db, int64_t applicationId);
void InsertService(ServerDb& db, int64_t applicationId, const CatalogService& service);

}  // namespace platform::emulated::catalog_store
