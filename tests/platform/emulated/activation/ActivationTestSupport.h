#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/ComError.h"
#include "platform/StoreAdo.h"
#include "platform/emulated/db/ServerDb.h"
#include "tests/support/TempFolder.h"

namespace activation_test {

// A fresh emulated server in a temporary folder, made the process's server
// (MORVANE_SERVER) for the object's lifetime.
class ServerScope {
  public:
    ServerScope();
    ~ServerScope();
    ServerScope(const ServerScope&) = delete;
    ServerScope& operator=(const ServerScope&) = delete;

    const std::string& folder() const { return folder_; }
    const std::shared_ptr<platform::emulated::ServerDb>& db() const { return db_; }
    const testsupport::TempFolder& temp() const { return temp_; }

  private:
    testsupport::TempFolder temp_;
    std::string folder_;
    std::optional<std::string> previous_;
    std::shared_ptr<platform::emulated::ServerDb> db_;
};

// An event information object whose EventRecord fails with the given error.
class FailingEventInfo final : public platform::store::EventInfo {
  public:
    FailingEventInfo(int32_t number, std::string description)
        : number_(number), description_(std::move(description)) {}
    std::shared_ptr<platform::store::Record> EventRecord() override;
    int calls() const { return calls_; }

  private:
    int32_t number_;
    std::string description_;
    int calls_ = 0;
};

// The ComError the call raised; nullopt when it raised none.
std::optional<platform::ComError> CatchComError(const std::function<void()>& call);

// Whether the library file at path is loaded into this process.
bool IsLoaded(const std::string& path);

// Runs call with the current directory set to folder, then goes back.
void InFolder(const std::string& folder, const std::function<void()>& call);

}  // namespace activation_test
