#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>

// The single-threaded apartments of a COM+ application's host: threads
// that each entered an apartment of their own (CoInitializeEx,
// COINIT_APARTMENTTHREADED) and run one piece of work at a time, so that
// the instances made there are called on the thread that made them, as
// apartment-threaded classes are. At least `least` threads wait from the
// start; when every thread is busy the pool grows by one, and a thread
// whose work is done waits for the next. The threads last as long as the
// process.
namespace wine_bridge {

class ApartmentPool {
  public:
    explicit ApartmentPool(size_t least);
    ApartmentPool(const ApartmentPool&) = delete;
    ApartmentPool& operator=(const ApartmentPool&) = delete;

    // Runs work on a waiting thread, or on a new one when none waits.
    void Run(std::function<void()> work);

  private:
    void AddThread();
    void Work();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> queue_;
    size_t waiting_ = 0;
};

}  // namespace wine_bridge
