#include "platform/emulated/catalog/CatalogObjects.h"

#include <deque>
#include <utility>

#include "platform/ComError.h"
#include "platform/emulated/activation/ActivationLibrary.h"
#include "platform/emulated/activation/ActivationLoader.h"
#include "platform/emulated/activation/Registry.h"
#include "platform/emulated/activation/WindowsHosting.h"
#include "platform/emulated/catalog/CatalogStore.h"
#include "platform/emulated/db/Faults.h"

namespace platform::emulated {

namespace {

using catalog_store::StoredApplication;

// A database failure of the emulation becomes the catalog's own error.
template <typename Body>
auto Guarded(Body&& body) {
    try {
        return body();
    } catch (const ServerError& error) {
        throw ComError(catalog_error::kObjectErrors, error.what());
    }
}

// An application while a collection holds it: saved (id) or new.
struct PendingApplication {
    std::optional<int64_t> id;
    std::map<std::string, Variant> properties;
    bool changed = false;
};

class ApplicationObject : public catalog::CatalogObject {
  public:
    explicit ApplicationObject(std::shared_ptr<PendingApplication> application)
        : application_(std::move(application)) {}
    Variant Name() override { return catalog_store::ApplicationName(application_->properties); }
    Variant Value(const std::string& property) override {
        auto found = application_->properties.find(property);
        if (found != application_->properties.end())
            return found->second;
        return property == kShutdownAfter ? Variant(kDefaultShutdownAfter) : Variant();
    }
    void SetValue(const std::string& property, const Variant& value) override {
        if (property == kShutdownAfter) {
            const int32_t minutes = value.ToInt32();
            if (minutes < 0 || minutes > kLongestShutdownAfter)
                throw ComError(hresult::E_INVALIDARG, "The parameter is incorrect.");
            application_->properties[property] = Variant(minutes);
        } else {
            application_->properties[property] = value;
        }
        application_->changed = true;
    }

  private:
    std::shared_ptr<PendingApplication> application_;
};

class ApplicationsCollection : public catalog::CatalogCollection {
  public:
    explicit ApplicationsCollection(std::shared_ptr<ServerDb> db) : db_(std::move(db)) {}

    void Populate() override {
        Guarded([&] {
            Faults(*db_).Check("catalog.populate", "");
            items_.clear();
            removed_.clear();
            for (StoredApplication& stored : catalog_store::ReadApplications(*db_)) {
                items_.push_back(std::make_shared<PendingApplication>(
                    PendingApplication{stored.id, std::move(stored.properties), false}));
            }
            return 0;
        });
    }
    int32_t Count() override { return static_cast<int32_t>(items_.size()); }
    std::shared_ptr<catalog::CatalogObject> Item(int32_t index) override {
        CheckIndex(index);
        return std::make_shared<ApplicationObject>(items_[static_cast<size_t>(index)]);
    }
    std::shared_ptr<catalog::CatalogObject> Add() override {
        items_.push_back(std::make_shared<PendingApplication>(PendingApplication{{}, {}, true}));
        return std::make_shared<ApplicationObject>(items_.back());
    }
    void Remove(int32_t index) override {
        CheckIndex(index);
        const auto position = items_.begin() + index;
        Guarded([&] {
            Faults(*db_).Check("catalog.remove",
                               catalog_store::ApplicationName((*position)->properties));
            return 0;
        });
        if ((*position)->id) {
            removed_.push_back(*(*position)->id);
            removedNames_.push_back(catalog_store::ApplicationName((*position)->properties));
        }
        items_.erase(position);
    }
    int32_t SaveChanges() override {
        return Guarded([&] {
            Faults(*db_).Check("catalog.savechanges", "");
            DbTransaction transaction(*db_);
            std::vector<ClassEntry> uninstalled;
            const int32_t changes = SaveAll(uninstalled);
            transaction.Commit();
            removed_.clear();
            // A removed application's process ends with it.
            for (const std::string& name : std::exchange(removedNames_, {}))
                SystemWindowsHosting().ShutdownApplication(db_->folder(), name);
            SystemWindowsHosting().ForgetClasses(uninstalled);
            return changes;
        });
    }

  private:
    void CheckIndex(int32_t index) const {
        if (index < 0 || index >= static_cast<int32_t>(items_.size())) {
            throw ComError(hresult::E_INVALIDARG, "The parameter is incorrect.");
        }
    }
    int32_t SaveAll(std::vector<ClassEntry>& uninstalled) {
        int32_t changes = 0;
        for (const int64_t id : removed_) {
            for (ClassEntry& entry : catalog_store::DeleteApplication(*db_, id))
                uninstalled.push_back(std::move(entry));
            ++changes;
        }
        for (const auto& item : items_) {
            if (!item->changed) {
                continue;
            }
            if (item->id) {
                catalog_store::UpdateApplication(*db_, *item->id, item->properties);
            } else {
                item->id = catalog_store::InsertApplication(*db_, item->properties);
            }
            item->changed = false;
            ++changes;
        }
        return changes;
    }

    std::shared_ptr<ServerDb> db_;
    std::deque<std::shared_ptr<PendingApplication>> items_;
    std::vector<int64_t> removed_;
    std::vector<std::string> removedNames_;
};

class AdminCatalogObject : public catalog::AdminCatalog {
  public:
    AdminCatalogObject(std::shared_ptr<ServerDb> db, Activation& activation)
        : db_(std::move(db)), activation_(activation) {}

    std::shared_ptr<catalog::CatalogCollection> GetCollection(const std::string& name) override {
        if (name != "Applications") {
            throw ComError(catalog_error::kObjectErrors,
                           "The collection \"" + name + "\" is not kept by this catalog.");
        }
        return std::make_shared<ApplicationsCollection>(db_);
    }
    void InstallComponent(const std::string& application, const std::string& libraryFile,
                          const std::string&, const std::string&) override;
    void RefreshComponents() override {}
    void CreateServiceForApplication(const std::string& application, const std::string& serviceName,
                                     const std::string& startType, const std::string& errorControl,
                                     const std::string& dependencies, const std::string& runAs,
                                     const std::string& password, bool desktopOk) override;
    void ShutdownApplication(const std::string& application) override {
        ExistingApplication(application);
        SystemWindowsHosting().ShutdownApplication(db_->folder(), application);
    }

  private:
    int64_t ExistingApplication(const std::string& application) {
        auto id = Guarded([&] { return catalog_store::FindApplication(*db_, application); });
        if (!id) {
            throw ComError(catalog_error::kObjectDoesNotExist,
                           "The application \"" + application + "\" does not exist.");
        }
        return *id;
    }
    void RunDllRegisterServer(const std::string& libraryFile);

    std::shared_ptr<ServerDb> db_;
    Activation& activation_;
};

// Loads the library and lets it register its classes; the activation
// layer's errors become the catalog's.
void AdminCatalogObject::RunDllRegisterServer(const std::string& libraryFile) {
    int32_t result = hresult::S_OK;
    try {
        result = activation_.BindExport(libraryFile, kDllRegisterServer)();
    } catch (const ComError& error) {
        if (error.number() == activation_error::kFileNotFound) {
            throw ComError(catalog_error::kCompFileDoesNotExist, "The file does not exist.");
        }
        if (error.number() == activation_error::kEntryPointNotFound) {
            throw ComError(catalog_error::kCompFileNotInstallable,
                           "The file is not a COM component.");
        }
        throw ComError(catalog_error::kCompFileLoadDllFail, "The DLL could not be loaded.");
    }
    if (result < 0) {
        throw ComError(catalog_error::kObjectErrors,
                       "DllRegisterServer failed with " + std::to_string(result) + ".");
    }
}

void AdminCatalogObject::InstallComponent(const std::string& application,
                                          const std::string& libraryFile, const std::string&,
                                          const std::string&) {
    Guarded([&] {
        Faults(*db_).Check("catalog.installcomponent", application);
        return 0;
    });
    ExistingApplication(application);
    RunDllRegisterServer(libraryFile);
    const int tagged = Guarded([&] {
        return Registry(db_).AssignLibraryClassesToApplication(NormalLibraryPath(libraryFile),
                                                               application);
    });
    if (tagged == 0) {
        throw ComError(catalog_error::kCompFileNotInstallable,
                       "The file registered no COM component.");
    }
}

void AdminCatalogObject::CreateServiceForApplication(
    const std::string& application, const std::string& serviceName, const std::string& startType,
    const std::string& errorControl, const std::string& dependencies, const std::string& runAs,
    const std::string&, bool desktopOk) {
    Guarded([&] {
        Faults(*db_).Check("catalog.createservice", application);
        return 0;
    });
    const int64_t id = ExistingApplication(application);
    Guarded([&] {
        catalog_store::InsertService(
            *db_, id, {serviceName, startType, errorControl, dependencies, runAs, desktopOk});
        return 0;
    });
}

}  // namespace

int32_t ApplicationShutdownAfter(ServerDb& db, const std::string& application) {
    const std::optional<int64_t> id = catalog_store::FindApplication(db, application);
    if (!id)
        return kDefaultShutdownAfter;
    for (const catalog_store::StoredApplication& stored : catalog_store::ReadApplications(db)) {
        auto found = stored.properties.find(kShutdownAfter);
        if (stored.id == *id && found != stored.properties.end() && found->second.IsInt32())
            return found->second.AsInt32();
    }
    return kDefaultShutdownAfter;
}

EmulatedCatalog::EmulatedCatalog(Activation& activation, std::function<std::string()> serverFolder)
    : activation_(activation), serverFolder_(std::move(serverFolder)) {}

std::shared_ptr<catalog::AdminCatalog> EmulatedCatalog::CreateCatalog() {
    std::shared_ptr<ServerDb> db;
    try {
        db = ServerDb::Open(serverFolder_());
        Faults(*db).Check("catalog.create", "");
    } catch (const ServerError& error) {
        throw ComError(hresult::REGDB_E_CLASSNOTREG, error.what());
    }
    return std::make_shared<AdminCatalogObject>(std::move(db), activation_);
}

}  // namespace platform::emulated

namespace platform::catalog {

Catalog& SystemCatalog() {
    static emulated::EmulatedCatalog catalog(SystemActivation());
    return catalog;
}

}  // namespace platform::catalog
