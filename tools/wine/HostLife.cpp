#include "tools/wine/HostLife.h"

#include <algorithm>
#include <chrono>
#include <mutex>

#include "platform/ComError.h"
#include "platform/bridge/BridgeRoots.h"

namespace wine_bridge::host_life {

namespace {

using Clock = std::chrono::steady_clock;

struct Life {
    std::mutex mutex;
    long instances = 0;
    bool madeOne = false;
    bool ending = false;
    Clock::time_point started = Clock::now();
    Clock::time_point idleSince = started;
};

Life& TheLife() {
    static Life life;
    return life;
}

}  // namespace

Admission::Admission() {
    Life& life = TheLife();
    std::lock_guard lock(life.mutex);
    if (life.ending)
        throw platform::ComError(bridge::host_root::kServerStopping,
                                 "Object server is stopping when OLE service contacts it.");
    ++life.instances;
    life.madeOne = true;
}

Admission::~Admission() {
    if (!counted_)
        return;
    Life& life = TheLife();
    std::lock_guard lock(life.mutex);
    if (--life.instances == 0)
        life.idleSince = Clock::now();
}

Admission::Admission(Admission&& other) noexcept {
    other.counted_ = false;
}

bool BeginEndIfIdle(int idleMs) {
    Life& life = TheLife();
    std::lock_guard lock(life.mutex);
    if (life.ending)
        return true;
    if (life.instances > 0)
        return false;
    const int waitMs = life.madeOne ? idleMs : std::max(idleMs, kFirstInstanceWaitMs);
    if (Clock::now() - life.idleSince < std::chrono::milliseconds(waitMs))
        return false;
    life.ending = true;
    return true;
}

}  // namespace wine_bridge::host_life
