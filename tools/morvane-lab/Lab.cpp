#include "tools/morvane-lab/Lab.h"

#include "platform/Activation.h"

namespace lab {

std::string Lab::ServerFolder() const {
    return platform::emulated::ServerFolder();
}

std::shared_ptr<platform::emulated::ServerDb> Lab::ServerHandle() {
    if (!db_)
        db_ = platform::emulated::ServerDb::Open(ServerFolder());
    return db_;
}

platform::emulated::ServerDb& Lab::Server() {
    return *ServerHandle();
}

platform::emulated::StoreModel& Lab::Store() {
    if (!store_) {
        store_ = std::make_unique<platform::emulated::StoreModel>(ServerHandle(),
                                                                  platform::SystemActivation());
    }
    return *store_;
}

}  // namespace lab
