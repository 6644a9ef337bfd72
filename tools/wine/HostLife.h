#pragma once

// What keeps a host running: the instances of Windows classes it made that
// are still alive. The host of a COM+ server application ends when it has
// been idle, without any, for the application's ShutdownAfter time,
// counted from the release of the last one (before its first one, from its
// start, and never sooner than kFirstInstanceWaitMs after it); once it has
// begun to end, it makes no new one.
namespace wine_bridge::host_life {

// How long a host started for an activation waits for its first instance,
// whatever the application's idle time.
inline constexpr int kFirstInstanceWaitMs = 30000;

// One instance while it lives. Made before the instance: a host that has
// begun to end throws CO_E_SERVER_STOPPING (bridge::host_root::kServerStopping).
class Admission {
  public:
    Admission();
    ~Admission();
    Admission(Admission&& other) noexcept;
    Admission(const Admission&) = delete;
    Admission& operator=(const Admission&) = delete;
    Admission& operator=(Admission&&) = delete;

  private:
    bool counted_ = true;
};

// Whether the host has been idle for idleMs (0: idle at all); when it has,
// it admits no instance from then on.
bool BeginEndIfIdle(int idleMs);

}  // namespace wine_bridge::host_life
