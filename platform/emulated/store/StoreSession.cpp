#include "platform/emulated/store/StoreSession.h"

#include <chrono>
#include <string_view>
#include <thread>

namespace platform::emulated {

namespace {
constexpr auto kRetryPause = std::chrono::milliseconds(5);
constexpr int kMaxAttempts = 2000;  // about ten seconds, as long as the busy timeout
}  // namespace

std::shared_ptr<ServerDb> OpenSharedServer(const std::string& folder) {
    for (int attempt = 1;; ++attempt) {
        try {
            return ServerDb::Open(folder);
        } catch (const ServerError& error) {
            // Only a lock held by another process is worth waiting for.
            if (attempt >= kMaxAttempts ||
                std::string_view(error.what()).find("database is locked") == std::string_view::npos)
                throw;
        }
        std::this_thread::sleep_for(kRetryPause);
    }
}

}  // namespace platform::emulated
