#include <cstring>
#include <memory>

#include "platform/emulated/activation/ActivationExports.h"
#include "platform/emulated/activation/ActivationLibrary.h"
#include "platform/emulated/activation/Registry.h"

// An in-process server with one class, "CatalogProbe.Thing", that
// registers itself in the server of MORVANE_SERVER. The catalog tests
// install it into COM+ applications.
namespace {

using namespace platform;
using namespace platform::emulated;

constexpr const char* kClsid = "{7E57CA7A-0000-4000-8000-00000000CA7A}";
constexpr const char* kProgId = "CatalogProbe.Thing";

class Thing : public ComObject {
  public:
    Dispatch* AsDispatch() override { return nullptr; }
    StoreSyncEvents* AsStoreSyncEvents() override { return nullptr; }
    CreateRegistration* AsCreateRegistration() override { return nullptr; }

  private:
    LiveObject live_;
};

class ThingFactory : public ClassFactory {
  public:
    int32_t CreateInstance(std::shared_ptr<ComObject>& object) noexcept override {
        try {
            object = std::make_shared<Thing>();
            return hresult::S_OK;
        } catch (...) {
            return activation_error::E_OUTOFMEMORY;
        }
    }
};

ThingFactory factory;

}  // namespace

int32_t DllGetClassObject(const char* clsid, const char* iid, void** object) {
    if (clsid == nullptr || std::strcmp(clsid, kClsid) != 0) {
        return activation_error::CLASS_E_CLASSNOTAVAILABLE;
    }
    if (iid == nullptr || std::strcmp(iid, kClassFactoryIid) != 0) {
        return hresult::E_NOINTERFACE;
    }
    *object = static_cast<ClassFactory*>(&factory);
    return hresult::S_OK;
}

int32_t DllCanUnloadNow() {
    return LiveObject::CanUnloadNow();
}

int32_t DllRegisterServer() {
    try {
        ClassEntry entry;
        entry.clsid = kClsid;
        entry.progId = kProgId;
        entry.libraryPath = LibraryPathOf(reinterpret_cast<const void*>(&DllRegisterServer));
        Registry(ServerDb::OpenDefault()).RegisterClass(entry);
        return hresult::S_OK;
    } catch (...) {
        return activation_error::SELFREG_E_CLASS;
    }
}

int32_t DllUnregisterServer() {
    try {
        Registry(ServerDb::OpenDefault()).UnregisterClass(kClsid);
        return hresult::S_OK;
    } catch (...) {
        return activation_error::SELFREG_E_CLASS;
    }
}
