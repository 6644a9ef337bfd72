#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Activation.h"
#include "platform/emulated/activation/ActivationLibrary.h"
#include "platform/emulated/store/StoreAdo.h"
#include "sink/MorvaneCls.h"

// One instance of MorvaneCls as the activation layer sees it: the store's
// event interfaces straight from the class, and the automation interface
// _MorvaneCls, which calls the class's three registration methods by name.
// Like the class, it keeps no state between calls.
namespace morvane_posix {

class MorvaneObject final : public platform::ComObject, public platform::Dispatch {
  public:
    MorvaneObject();

    platform::Dispatch* AsDispatch() override { return this; }
    platform::StoreSyncEvents* AsStoreSyncEvents() override { return &sink_; }
    platform::CreateRegistration* AsCreateRegistration() override { return &sink_; }

    // The member's dispatch identifier; names compare without regard to
    // case. An unknown name throws DISP_E_UNKNOWNNAME.
    int32_t GetIDOfName(const std::string& member) override;
    // Calls the member with the string arguments in its parameter order and
    // returns its status string. A wrong argument count throws
    // DISP_E_BADPARAMCOUNT.
    platform::Variant Invoke(const std::string& member,
                             std::vector<platform::DispArg>& args) override;

  private:
    platform::emulated::LiveObject live_;
    // The store of the server the process works on when the instance is
    // made (MORVANE_SERVER), so that host and library always agree on it.
    platform::emulated::EmulatedStoreAdo ado_;
    MorvaneCls sink_{ado_};
};

}  // namespace morvane_posix
