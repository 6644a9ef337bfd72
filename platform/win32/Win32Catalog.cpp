#include "platform/Catalog.h"
#include "platform/win32/Automation.h"

// The COM+ catalog, late-bound over "COMAdmin.COMAdminCatalog".
namespace platform::win32 {

namespace {

using automation::Call;
using automation::Get;

ComVariant Value(const Variant& value) {
    return ComVariant(value);
}

class Win32CatalogObject : public catalog::CatalogObject {
  public:
    explicit Win32CatalogObject(ComPtr<IDispatch> object) : object_(std::move(object)) {}
    Variant Name() override { return Get(object_.Get(), "Name").ToVariant(); }
    Variant Value(const std::string& property) override {
        return Get(object_.Get(), "Value", {ComVariant(Variant(property))}).ToVariant();
    }
    void SetValue(const std::string& property, const Variant& value) override {
        std::vector<ComVariant> args{ComVariant(Variant(property)), ComVariant(value)};
        automation::Invoke(object_.Get(), automation::MemberId(object_.Get(), "Value"),
                           DISPATCH_PROPERTYPUT, args);
    }

  private:
    ComPtr<IDispatch> object_;
};

class Win32CatalogCollection : public catalog::CatalogCollection {
  public:
    explicit Win32CatalogCollection(ComPtr<IDispatch> collection)
        : collection_(std::move(collection)) {}
    void Populate() override { Call(collection_.Get(), "Populate"); }
    int32_t Count() override { return Get(collection_.Get(), "Count").ToVariant().ToInt32(); }
    std::shared_ptr<catalog::CatalogObject> Item(int32_t index) override {
        return std::make_shared<Win32CatalogObject>(
            Get(collection_.Get(), "Item", {Value(index)}).ToDispatch());
    }
    std::shared_ptr<catalog::CatalogObject> Add() override {
        return std::make_shared<Win32CatalogObject>(Call(collection_.Get(), "Add").ToDispatch());
    }
    void Remove(int32_t index) override { Call(collection_.Get(), "Remove", {Value(index)}); }
    int32_t SaveChanges() override {
        return Call(collection_.Get(), "SaveChanges").ToVariant().ToInt32();
    }

  private:
    ComPtr<IDispatch> collection_;
};

class Win32AdminCatalog : public catalog::AdminCatalog {
  public:
    explicit Win32AdminCatalog(ComPtr<IDispatch> catalog) : catalog_(std::move(catalog)) {}
    std::shared_ptr<catalog::CatalogCollection> GetCollection(const std::string& name) override {
        return std::make_shared<Win32CatalogCollection>(
            Call(catalog_.Get(), "GetCollection", {Value(name)}).ToDispatch());
    }
    void InstallComponent(const std::string& application, const std::string& libraryFile,
                          const std::string& typeLibraryFile,
                          const std::string& proxyStubFile) override {
        Call(
            catalog_.Get(), "InstallComponent",
            {Value(application), Value(libraryFile), Value(typeLibraryFile), Value(proxyStubFile)});
    }
    void RefreshComponents() override { Call(catalog_.Get(), "RefreshComponents"); }
    void CreateServiceForApplication(const std::string& application, const std::string& serviceName,
                                     const std::string& startType, const std::string& errorControl,
                                     const std::string& dependencies, const std::string& runAs,
                                     const std::string& password, bool desktopOk) override {
        Call(catalog_.Get(), "CreateServiceForApplication",
             {Value(application), Value(serviceName), Value(startType), Value(errorControl),
              Value(dependencies), Value(runAs), Value(password), Value(desktopOk)});
    }
    void ShutdownApplication(const std::string& application) override {
        Call(catalog_.Get(), "ShutdownApplication", {Value(application)});
    }

  private:
    ComPtr<IDispatch> catalog_;
};

class Win32Catalog : public catalog::Catalog {
  public:
    std::shared_ptr<catalog::AdminCatalog> CreateCatalog() override {
        return std::make_shared<Win32AdminCatalog>(
            automation::CreateObject("COMAdmin.COMAdminCatalog"));
    }
};

}  // namespace

}  // namespace platform::win32

namespace platform::catalog {

Catalog& SystemCatalog() {
    static win32::Win32Catalog catalog;
    return catalog;
}

}  // namespace platform::catalog
