#include "tools/wine/ApartmentPool.h"

#include "platform/win32/WindowsHeaders.h"

#include <thread>

namespace wine_bridge {

ApartmentPool::ApartmentPool(size_t least) {
    std::lock_guard lock(mutex_);
    for (size_t i = 0; i < least; ++i)
        AddThread();
}

void ApartmentPool::Run(std::function<void()> work) {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(work));
    if (waiting_ < queue_.size())
        AddThread();
    wake_.notify_one();
}

// The caller holds mutex_: the new thread counts as waiting at once.
void ApartmentPool::AddThread() {
    ++waiting_;
    std::thread([this] { Work(); }).detach();
}

// The thread stays in its apartment until the process ends.
void ApartmentPool::Work() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return !queue_.empty(); });
        std::function<void()> work = std::move(queue_.front());
        queue_.pop_front();
        --waiting_;
        lock.unlock();
        work();
        work = nullptr;
        lock.lock();
        ++waiting_;
    }
}

}  // namespace wine_bridge
