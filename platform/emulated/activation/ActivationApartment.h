#pragma once

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/Activation.h"
#include "platform/emulated/activation/ActivationLoader.h"

// The object the activation layer hands out for an instance created from a
// library: it keeps the library loaded while the instance lives, holds the
// instance to the apartment (the thread) that created it, and re-raises the
// instance's errors as errors of the host, so that an error survives the
// library being unloaded while it is in flight.
namespace platform::emulated {

class ApartmentObject final : public ComObject,
                              private Dispatch,
                              private StoreSyncEvents,
                              private CreateRegistration {
  public:
    ApartmentObject(std::shared_ptr<LoadedLibrary> library, std::shared_ptr<ComObject> instance);
    ~ApartmentObject() override;
    ApartmentObject(const ApartmentObject&) = delete;
    ApartmentObject& operator=(const ApartmentObject&) = delete;

    // Each call from a thread other than the creating one throws
    // RPC_E_WRONG_THREAD.
    Dispatch* AsDispatch() override;
    StoreSyncEvents* AsStoreSyncEvents() override;
    CreateRegistration* AsCreateRegistration() override;

  private:
    int32_t GetIDOfName(const std::string& member) override;
    Variant Invoke(const std::string& member, std::vector<DispArg>& args) override;
    void OnSyncSave(store::EventInfo& eventInfo, const std::string& urlItem,
                    int32_t flags) override;
    void OnSyncDelete(store::EventInfo& eventInfo, const std::string& urlItem,
                      int32_t flags) override;
    int32_t Register(store::EventInfo& eventInfo, const std::string& urlItem,
                     int32_t flags) override;

    void CheckApartment() const;

    // Declared before the instance: the instance goes first, then the
    // library may be unloaded.
    std::shared_ptr<LoadedLibrary> library_;
    std::shared_ptr<ComObject> instance_;
    std::thread::id apartment_;
};

}  // namespace platform::emulated
