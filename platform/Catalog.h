#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Variant.h"

// The COM+ catalog port: "COMAdmin.COMAdminCatalog" (ICOMAdminCatalog,
// ICOMAdminCatalog2) with its collections (ICatalogCollection) and objects
// (ICatalogObject), late-bound as the setup program uses them. Every failing
// call throws platform::ComError with the HRESULT.
namespace platform::catalog {

// One object of a collection, such as an application.
class CatalogObject {
  public:
    virtual ~CatalogObject() = default;
    // The object's Name.
    virtual Variant Name() = 0;
    virtual Variant Value(const std::string& property) = 0;
    virtual void SetValue(const std::string& property, const Variant& value) = 0;
};

class CatalogCollection {
  public:
    virtual ~CatalogCollection() = default;
    // Reads the collection from the catalog (all applications).
    virtual void Populate() = 0;
    virtual int32_t Count() = 0;
    // The object at a position from 0; an invalid position throws
    // E_INVALIDARG.
    virtual std::shared_ptr<CatalogObject> Item(int32_t index) = 0;
    // A new object, added at the end; saved by SaveChanges.
    virtual std::shared_ptr<CatalogObject> Add() = 0;
    // Removes the object at a position; saved by SaveChanges.
    virtual void Remove(int32_t index) = 0;
    // Makes additions, changes and removals permanent; returns how many
    // objects changed.
    virtual int32_t SaveChanges() = 0;
};

class AdminCatalog {
  public:
    virtual ~AdminCatalog() = default;
    // GetCollection("Applications").
    virtual std::shared_ptr<CatalogCollection> GetCollection(const std::string& name) = 0;
    // Installs the library file's classes into the application.
    virtual void InstallComponent(const std::string& application, const std::string& libraryFile,
                                  const std::string& typeLibraryFile,
                                  const std::string& proxyStubFile) = 0;
    virtual void RefreshComponents() = 0;
    // ICOMAdminCatalog2::CreateServiceForApplication.
    virtual void CreateServiceForApplication(const std::string& application,
                                             const std::string& serviceName,
                                             const std::string& startType,
                                             const std::string& errorControl,
                                             const std::string& dependencies,
                                             const std::string& runAs, const std::string& password,
                                             bool desktopOk) = 0;
    // ICOMAdminCatalog::ShutdownApplication: ends the server application's
    // process, if one runs; the next activation starts a new one.
    virtual void ShutdownApplication(const std::string& application) = 0;
};

// Creates the catalog object ("COMAdmin.COMAdminCatalog").
class Catalog {
  public:
    virtual ~Catalog() = default;
    virtual std::shared_ptr<AdminCatalog> CreateCatalog() = 0;
};

// The COM+ catalog of the platform the program runs on.
Catalog& SystemCatalog();

}  // namespace platform::catalog
