#include "tests/platform/emulated/activation/ActivationProbeLibrary.h"

#include <algorithm>
#include <cstring>

#include "platform/ComError.h"
#include "platform/Text.h"
#include "platform/emulated/activation/ActivationExports.h"
#include "platform/emulated/activation/ActivationLibrary.h"
#include "platform/emulated/activation/Registry.h"

using platform::ComError;
using platform::DispArg;
using platform::Variant;
using namespace platform::emulated;

namespace {

class Probe final : public platform::ComObject,
                    public platform::Dispatch,
                    public platform::StoreSyncEvents,
                    public platform::CreateRegistration {
  public:
    Dispatch* AsDispatch() override { return this; }
    StoreSyncEvents* AsStoreSyncEvents() override { return this; }
    CreateRegistration* AsCreateRegistration() override { return this; }

    int32_t GetIDOfName(const std::string& member) override {
        static const char* const kNames[] = {"Echo", "Reverse", "Fail"};
        for (int id = 0; id < 3; ++id) {
            if (platform::text::EqualsNoCase(member, kNames[id]))
                return id + activation_probe::kProbeEchoDispId;
        }
        throw ComError(platform::hresult::DISP_E_UNKNOWNNAME, "Unknown name.");
    }

    Variant Invoke(const std::string& member, std::vector<DispArg>& args) override {
        int32_t id = GetIDOfName(member);
        if (id == 3)
            throw ComError(platform::hresult::E_ACCESSDENIED, "probe refused");
        if (args.size() != 1)
            throw ComError(platform::hresult::DISP_E_BADPARAMCOUNT,
                           "Invalid number of parameters.");
        if (id == 1)
            return Variant(args[0].value);
        if (args[0].byRef)
            std::reverse(args[0].value.begin(), args[0].value.end());
        return Variant("1");
    }

    void OnSyncSave(platform::store::EventInfo& eventInfo, const std::string&, int32_t) override {
        eventInfo.EventRecord();
    }
    void OnSyncDelete(platform::store::EventInfo&, const std::string&, int32_t) override {}

    int32_t Register(platform::store::EventInfo& eventInfo, const std::string&, int32_t) override {
        try {
            eventInfo.EventRecord();
            return 0;
        } catch (const ComError& error) {
            return error.number();
        }
    }

  private:
    LiveObject live_;
};

class ProbeFactory final : public ClassFactory {
  public:
    int32_t CreateInstance(std::shared_ptr<platform::ComObject>& object) noexcept override {
        object = std::make_shared<Probe>();
        return platform::hresult::S_OK;
    }
};

class BrokenFactory final : public ClassFactory {
  public:
    int32_t CreateInstance(std::shared_ptr<platform::ComObject>&) noexcept override {
        return activation_error::E_OUTOFMEMORY;
    }
};

ProbeFactory probeFactory;
BrokenFactory brokenFactory;

ClassEntry ProbeClass(const char* clsid, const char* progId, const std::string& library) {
    ClassEntry entry;
    entry.clsid = clsid;
    entry.progId = progId;
    entry.libraryPath = library;
    entry.typeLibraryId = activation_probe::kProbeTypeLibraryId;
    entry.typeLibraryVersion = "1.0";
    return entry;
}

}  // namespace

extern "C" {

int32_t DllGetClassObject(const char* clsid, const char* iid, void** object) {
    *object = nullptr;
    if (std::strcmp(iid, kClassFactoryIid) != 0)
        return platform::hresult::E_NOINTERFACE;
    if (platform::text::EqualsNoCase(clsid, activation_probe::kProbeClsid))
        *object = static_cast<ClassFactory*>(&probeFactory);
    else if (platform::text::EqualsNoCase(clsid, activation_probe::kBrokenClsid))
        *object = static_cast<ClassFactory*>(&brokenFactory);
    else
        return activation_error::CLASS_E_CLASSNOTAVAILABLE;
    return platform::hresult::S_OK;
}

int32_t DllCanUnloadNow() {
    return LiveObject::CanUnloadNow();
}

int32_t DllRegisterServer() {
    try {
        Registry registry(ServerDb::OpenDefault());
        std::string library = LibraryPathOf(reinterpret_cast<const void*>(&DllRegisterServer));
        using namespace activation_probe;
        registry.RegisterClass(ProbeClass(kProbeClsid, kProbeProgId, library));
        registry.RegisterClass(ProbeClass(kBrokenClsid, kBrokenProgId, library));
        return platform::hresult::S_OK;
    } catch (const ServerError&) {
        return activation_error::SELFREG_E_CLASS;
    }
}

int32_t DllUnregisterServer() {
    try {
        Registry registry(ServerDb::OpenDefault());
        registry.UnregisterClass(activation_probe::kProbeClsid);
        registry.UnregisterClass(activation_probe::kBrokenClsid);
        return platform::hresult::S_OK;
    } catch (const ServerError&) {
        return activation_error::SELFREG_E_CLASS;
    }
}

}  // extern "C"
