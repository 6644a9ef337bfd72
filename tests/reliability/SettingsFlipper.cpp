#include "tests/reliability/SettingsFlipper.h"

#include <chrono>
#include <filesystem>
#include <thread>

namespace reliability {

SettingsFlipper::SettingsFlipper(SinkServer& server) : server_(server) {
    server_.WriteDisplayFormat("SCL=<SCL value>");
}

void SettingsFlipper::Run(const std::atomic<bool>& stop, uint64_t seed) {
    std::mt19937_64 random(seed);
    std::uniform_int_distribution<int> pause(1, 12);
    while (!stop.load()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(pause(random)));
        const StampForm next =
            current_.load() == StampForm::Bare ? StampForm::Prefixed : StampForm::Bare;
        Change(next, random);
    }
}

void SettingsFlipper::Change(StampForm form, std::mt19937_64& random) {
    ++changes_;
    const int variant = std::uniform_int_distribution<int>(0, 2)(random);
    if (form == StampForm::Bare) {
        server_.WriteDisplayFormat(variant == 0 ? "<scl VALUE>" : "<SCL value>");
    } else if (variant == 0) {
        // No settings file at all means the "SCL=" form as well.
        std::filesystem::remove(server_.settingsFile());
    } else {
        server_.WriteDisplayFormat(variant == 1 ? "SCL=<SCL value>" : "Number");
    }
    current_.store(form);
    ++changes_;
}

SettingsFlipper::Window SettingsFlipper::Open() const {
    Window window;
    window.changes = changes_.load();
    window.form = current_.load();
    return window;
}

FormSet SettingsFlipper::Close(const Window& window) const {
    if (window.changes % 2 == 0 && changes_.load() == window.changes)
        return {window.form};
    return {StampForm::Prefixed, StampForm::Bare};
}

}  // namespace reliability
