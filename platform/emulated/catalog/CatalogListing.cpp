#include "platform/ComError.h"
#include "platform/emulated/activation/Registry.h"
#include "platform/emulated/catalog/CatalogObjects.h"
#include "platform/emulated/catalog/CatalogStore.h"
#include "platform/emulated/machine/MachineFacts.h"

// The catalog as "morvane-lab catalog list" shows it.
namespace platform::emulated {

namespace {

std::string JsonValue(const Variant& value) {
    switch (value.type()) {
        case Variant::Type::Bool:
            return value.AsBool() ? "true" : "false";
        case Variant::Type::Int32:
            return std::to_string(value.AsInt32());
        case Variant::Type::String:
            return JsonQuoted(value.AsString());
        default:
            return "null";
    }
}

// Appends item to a JSON list or object body, after a comma unless it is
// the first.
void AppendItem(std::string& json, bool& first, const std::string& item) {
    if (!first) {
        json += ',';
    }
    json += item;
    first = false;
}

std::string ServiceJson(const std::optional<CatalogService>& service) {
    if (!service) {
        return "null";
    }
    return "{\"name\":" + JsonQuoted(service->name) +
           ",\"startType\":" + JsonQuoted(service->startType) +
           ",\"errorControl\":" + JsonQuoted(service->errorControl) +
           ",\"dependencies\":" + JsonQuoted(service->dependencies) +
           ",\"runAs\":" + JsonQuoted(service->runAs) +
           ",\"desktopOk\":" + (service->desktopOk ? "true" : "false") + "}";
}

std::string ApplicationJson(const CatalogApplication& application) {
    std::string json =
        "{\"name\":" + JsonQuoted(catalog_store::ApplicationName(application.properties)) +
        ",\"properties\":{";
    bool first = true;
    for (const auto& [name, value] : application.properties) {
        AppendItem(json, first, JsonQuoted(name) + ":" + JsonValue(value));
    }
    json += "},\"components\":[";
    first = true;
    for (const auto& progId : application.components) {
        AppendItem(json, first, JsonQuoted(progId));
    }
    return json + "],\"service\":" + ServiceJson(application.service) + "}";
}

}  // namespace

std::vector<CatalogApplication> ListCatalogApplications(ServerDb& db) {
    Registry registry(std::shared_ptr<ServerDb>(&db, [](ServerDb*) {}));
    std::vector<CatalogApplication> listed;
    for (const auto& stored : catalog_store::ReadApplications(db)) {
        CatalogApplication application{
            stored.properties, {}, catalog_store::ReadService(db, stored.id)};
        for (const ClassEntry& entry :
             registry.ApplicationClasses(catalog_store::ApplicationName(stored.properties))) {
            application.components.push_back(entry.progId.empty() ? entry.clsid : entry.progId);
        }
        listed.push_back(std::move(application));
    }
    return listed;
}

std::string CatalogApplicationsJson(const std::vector<CatalogApplication>& applications) {
    std::string json = "[";
    bool first = true;
    for (const auto& application : applications) {
        AppendItem(json, first, ApplicationJson(application));
    }
    return json + "]";
}

std::string CatalogApplicationsText(const std::vector<CatalogApplication>& applications) {
    std::string text;
    for (const auto& application : applications) {
        text += catalog_store::ApplicationName(application.properties) + "\n";
        for (const auto& [name, value] : application.properties) {
            text += "  " + name + " = " + Describe(value) + "\n";
        }
        for (const auto& progId : application.components) {
            text += "  component " + progId + "\n";
        }
        if (application.service) {
            text += "  service " + application.service->name + " (" +
                    application.service->startType + ", run as " + application.service->runAs +
                    ")\n";
        }
    }
    return text;
}

}  // namespace platform::emulated
