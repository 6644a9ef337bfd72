#pragma once

#include <atomic>
#include <cstdint>
#include <random>
#include <set>
#include <string>

#include "tests/reliability/SinkServer.h"
#include "tests/reliability/StampRules.h"

namespace reliability {

// The forms the settings file may have held during a stretch of time.
using FormSet = std::set<StampForm>;

// Keeps switching the settings file between the two display formats, the
// way the setup program writes it (each write replaces the whole file at
// once), now and then removing it, and tells deliveries which forms the
// file may have held while they ran.
class SettingsFlipper {
  public:
    // Starts with the file holding "SCL=<SCL value>".
    explicit SettingsFlipper(SinkServer& server);

    // Switches until stop is set, pausing a random while between changes.
    void Run(const std::atomic<bool>& stop, uint64_t seed);

    // A stretch of time: Open before the delivery, Close after it.
    struct Window {
        uint64_t changes = 0;
        StampForm form = StampForm::Prefixed;
    };
    Window Open() const;
    FormSet Close(const Window& window) const;

    int changes() const { return static_cast<int>(changes_.load() / 2); }

  private:
    void Change(StampForm form, std::mt19937_64& random);

    SinkServer& server_;
    // Odd while a change is under way.
    std::atomic<uint64_t> changes_{0};
    std::atomic<StampForm> current_{StampForm::Prefixed};
};

}  // namespace reliability
