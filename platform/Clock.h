#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace platform {

// A moment in local time, to the second.
struct LocalTime {
    int year = 0;
    int month = 0;  // 1..12
    int day = 0;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;

    friend bool operator==(const LocalTime&, const LocalTime&) = default;
};

// The clock port: where the current local time comes from.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual LocalTime Now() const = 0;
};

// The machine's own clock: the local time of the current moment (each
// platform's adapter folder holds it, with LocalTimeOf).
const Clock& SystemClock();

// The moments LocalTimeOf takes, in seconds since 1970-01-01 00:00:00 UTC:
// up to 9999-12-31 23:59:59 UTC.
inline constexpr std::int64_t kLatestSecondsSince1970 = 253402300799;

// The local time of a moment given in whole seconds since 1970-01-01
// 00:00:00 UTC, by the machine's time zone, on every build (dates from 2038
// on too). A moment before 1970 or after kLatestSecondsSince1970 is taken as
// the nearest of those two.
LocalTime LocalTimeOf(std::int64_t secondsSince1970);

// A clock that always says the same time, for tests and reproducible runs.
class FixedClock : public Clock {
  public:
    explicit FixedClock(LocalTime time) : time_(time) {}
    LocalTime Now() const override { return time_; }
    void Set(LocalTime time) { time_ = time; }

  private:
    LocalTime time_;
};

// The steady clock port: time that only moves forward, for intervals that
// a change of the local time must not stretch or shorten.
class MonotonicClock {
  public:
    using time_point = std::chrono::steady_clock::time_point;
    virtual ~MonotonicClock() = default;
    virtual time_point Now() const = 0;
};

// The machine's steady clock.
const MonotonicClock& SystemMonotonicClock();

// A steady clock that moves only when told, for tests.
class FixedMonotonicClock : public MonotonicClock {
  public:
    time_point Now() const override { return now_; }
    void Advance(std::chrono::steady_clock::duration by) { now_ += by; }

  private:
    time_point now_{};
};

// The general date-and-time text: the short date, a blank and the long time,
// in the platform's own form (each platform's adapter folder holds it); the
// time is left out when it is exactly midnight. The text never holds "[" or
// "]".
std::string GeneralDateText(const LocalTime& time);

// The same in one fixed form, "2026-12-07 05:07:58" ("2026-12-07" at
// midnight): the general date text on Linux, and the fall-back where the
// platform's own form cannot be had.
std::string SortableDateText(const LocalTime& time);

}  // namespace platform
