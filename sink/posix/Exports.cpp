// The four entry points of Morvane.so. They report every failure as an
// HRESULT: no error leaves the library through them.
#include <cstring>
#include <memory>
#include <new>

#include "platform/ComError.h"
#include "platform/Text.h"
#include "platform/emulated/activation/ActivationExports.h"
#include "platform/emulated/activation/ActivationLibrary.h"
#include "platform/emulated/activation/Registry.h"
#include "sink/posix/MorvaneIds.h"
#include "sink/posix/MorvaneObject.h"
#include "sink/posix/Registration.h"

namespace {

using platform::emulated::activation_error::CLASS_E_CLASSNOTAVAILABLE;
using platform::emulated::activation_error::E_OUTOFMEMORY;
using platform::emulated::activation_error::E_POINTER;
using platform::emulated::activation_error::SELFREG_E_CLASS;

class MorvaneFactory final : public platform::emulated::ClassFactory {
  public:
    int32_t CreateInstance(std::shared_ptr<platform::ComObject>& object) noexcept override {
        try {
            object = std::make_shared<morvane_posix::MorvaneObject>();
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        return platform::hresult::S_OK;
    }
};

MorvaneFactory factory;

// Runs a change of the server's registry; its failures become
// SELFREG_E_CLASS.
template <typename Change>
int32_t ChangeRegistry(Change&& change) {
    try {
        platform::emulated::Registry registry(platform::emulated::ServerDb::OpenDefault());
        change(registry);
    } catch (const platform::emulated::ServerError&) {
        return SELFREG_E_CLASS;
    } catch (const platform::ComError&) {
        return SELFREG_E_CLASS;
    }
    return platform::hresult::S_OK;
}

}  // namespace

int32_t DllGetClassObject(const char* clsid, const char* iid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (!clsid || !iid)
        return E_POINTER;
    if (!platform::text::EqualsNoCase(clsid, morvane_posix::kClsidMorvaneCls))
        return CLASS_E_CLASSNOTAVAILABLE;
    if (std::strcmp(iid, platform::emulated::kClassFactoryIid) != 0)
        return platform::hresult::E_NOINTERFACE;
    *object = static_cast<platform::emulated::ClassFactory*>(&factory);
    return platform::hresult::S_OK;
}

int32_t DllCanUnloadNow() {
    return platform::emulated::LiveObject::CanUnloadNow();
}

int32_t DllRegisterServer() {
    const std::string library =
        platform::emulated::LibraryPathOf(reinterpret_cast<const void*>(&DllRegisterServer));
    return ChangeRegistry([&](platform::emulated::Registry& registry) {
        morvane_posix::RegisterMorvane(registry, library);
    });
}

int32_t DllUnregisterServer() {
    return ChangeRegistry(
        [](platform::emulated::Registry& registry) { morvane_posix::UnregisterMorvane(registry); });
}
