#pragma once

#include <memory>
#include <optional>
#include <string>

#include "bench/support/BenchFolder.h"
#include "platform/emulated/activation/Activation.h"
#include "platform/emulated/db/ServerDb.h"
#include "platform/emulated/store/StoreModel.h"

namespace benchsupport {

// A fresh emulated server in a temporary folder, made the process's server
// (MORVANE_SERVER) while the object lives, with its store and the
// activation layer the store creates sinks through. The sink library is
// copied into the folder and registered from there, so that its settings
// file sits beside it and nothing is written next to the build's own copy.
class BenchServer {
  public:
    explicit BenchServer(const std::string& libraryFile);
    ~BenchServer();
    BenchServer(const BenchServer&) = delete;
    BenchServer& operator=(const BenchServer&) = delete;

    // Writes the settings file beside the registered library.
    void WriteSettings(const std::string& content) const;

    platform::emulated::EmulatedActivation& activation() { return activation_; }
    platform::emulated::StoreModel& store() { return *store_; }

  private:
    BenchFolder folder_;
    std::optional<std::string> previousServer_;
    std::shared_ptr<platform::emulated::ServerDb> db_;
    platform::emulated::EmulatedActivation activation_;
    std::unique_ptr<platform::emulated::StoreModel> store_;
};

}  // namespace benchsupport
