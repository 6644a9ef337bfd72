#include "platform/emulated/catalog/CatalogStore.h"

#include "platform/ComError.h"
#include "platform/Text.h"
#include "platform/emulated/activation/Registry.h"

namespace platform::emulated::catalog_store {

namespace {

// Property values are kept as a type tag and a text.
std::pair<std::string, std::string> Encode(const Variant& value) {
    switch (value.type()) {
        case Variant::Type::Bool:
            return {"bool", value.AsBool() ? "1" : "0"};
        case Variant::Type::Int32:
            return {"int", std::to_string(value.AsInt32())};
        case Variant::Type::String:
            return {"string", value.AsString()};
        default:
            return {"empty", ""};
    }
}

Variant Decode(const std::string& type, const std::string& text) {
    if (type == "bool") {
        return Variant(text == "1");
    }
    if (type == "int") {
        return Variant(static_cast<int32_t>(std::stol(text)));
    }
    if (type == "string") {
        return Variant(text);
    }
    return Variant();
}

void WriteProperties(ServerDb& db, int64_t id, const std::map<std::string, Variant>& properties) {
    db.Prepare("DELETE FROM catalog_properties WHERE application_id = ?1").Bind(1, id).Run();
    for (const auto& [name, value] : properties) {
        const auto [type, text] = Encode(value);
        db.Prepare(
              "INSERT INTO catalog_properties(application_id, name, type, value) "
              "VALUES(?1, ?2, ?3, ?4)")
            .Bind(1, id)
            .Bind(2, std::string_view(name))
            .Bind(3, std::string_view(type))
            .Bind(4, std::string_view(text))
            .Run();
    }
}

std::map<std::string, Variant> ReadProperties(ServerDb& db, int64_t id) {
    std::map<std::string, Variant> properties;
    auto query = db.Prepare(
        "SELECT name, type, value FROM catalog_properties WHERE application_id = ?1 "
        "ORDER BY name");
    query.Bind(1, id);
    while (query.Step()) {
        properties[query.Text(0)] = Decode(query.Text(1), query.Text(2));
    }
    return properties;
}

}  // namespace

std::string ApplicationName(const std::map<std::string, Variant>& properties) {
    auto found = properties.find("Name");
    return found == properties.end() ? "" : found->second.AppendToEmptyString();
}

std::vector<StoredApplication> ReadApplications(ServerDb& db) {
    std::vector<StoredApplication> applications;
    auto query = db.Prepare("SELECT id FROM catalog_applications ORDER BY id");
    while (query.Step()) {
        applications.push_back({query.Int(0), {}});
    }
    for (auto& application : applications) {
        application.properties = ReadProperties(db, application.id);
    }
    return applications;
}

int64_t InsertApplication(ServerDb& db, const std::map<std::string, Variant>& properties) {
    db.Prepare("INSERT INTO catalog_applications DEFAULT VALUES").Run();
    const int64_t id = db.LastInsertId();
    WriteProperties(db, id, properties);
    return id;
}

void UpdateApplication(ServerDb& db, int64_t id, const std::map<std::string, Variant>& properties) {
    WriteProperties(db, id, properties);
}

std::vector<ClassEntry> DeleteApplication(ServerDb& db, int64_t id) {
    const std::string name = ApplicationName(ReadProperties(db, id));
    db.Prepare("DELETE FROM catalog_properties WHERE application_id = ?1").Bind(1, id).Run();
    db.Prepare("DELETE FROM catalog_services WHERE application_id = ?1").Bind(1, id).Run();
    db.Prepare("DELETE FROM catalog_applications WHERE id = ?1").Bind(1, id).Run();
    // Another application of the same name keeps the classes installed.
    if (FindApplication(db, name))
        return {};
    Registry registry(std::shared_ptr<ServerDb>(&db, [](ServerDb*) {}));
    std::vector<ClassEntry> classes = registry.ApplicationClasses(name);
    registry.RemoveApplicationClasses(name);
    return classes;
}

std::optional<int64_t> FindApplication(ServerDb& db, const std::string& name) {
    for (const auto& application : ReadApplications(db)) {
        if (text::EqualsNoCase(ApplicationName(application.properties), name)) {
            return application.id;
        }
    }
    return std::nullopt;
}

std::optional<CatalogService> ReadService(ServerDb& db, int64_t applicationId) {
    auto query = db.Prepare(
        "SELECT name, start_type, error_control, dependencies, run_as, desktop_ok "
        "FROM catalog_services WHERE application_id = ?1");
    query.Bind(1, applicationId);
    if (!query.Step()) {
        return std::nullopt;
    }
    return CatalogService{query.Text(0), query.Text(1), query.Text(2),
                          query.Text(3), query.Text(4), query.Int(5) != 0};
}

void InsertService(ServerDb& db, int64_t applicationId, const CatalogService& service) {
    if (ReadService(db, applicationId)) {
        throw ComError(catalog_error::kServiceExists, "The specified service already exists.");
    }
    db.Prepare(
          "INSERT INTO catalog_services(application_id, name, start_type, error_control, "
          "dependencies, run_as, desktop_ok) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7)")
        .Bind(1, applicationId)
        .Bind(2, std::string_view(service.name))
        .Bind(3, std::string_view(service.startType))
        .Bind(4, std::string_view(service.errorControl))
        .Bind(5, std::string_view(service.dependencies))
        .Bind(6, std::string_view(service.runAs))
        .Bind(7, int64_t{service.desktopOk ? 1 : 0})
        .Run();
}

}  // namespace platform::emulated::catalog_store
