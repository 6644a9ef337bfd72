#include "platform/Activation.h"
#include "platform/StoreAdo.h"
#include "platform/emulated/db/ServerDb.h"
#include "platform/emulated/store/StoreAdo.h"

namespace platform::store {

// The store of the emulated server this process works on; sinks are
// created through the platform's activation.
Ado& SystemAdo() {
    static platform::emulated::EmulatedStoreAdo ado(platform::emulated::ServerFolder(),
                                                    platform::SystemActivation());
    return ado;
}

}  // namespace platform::store
