#include "platform/emulated/store/StoreSession.h"

#include <chrono>
#include <string_view>
#include <thread>
#include <utility>

#include "platform/ComError.h"
#include "platform/emulated/machine/MachineEventLog.h"

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

StoreSession::~StoreSession() {
    WriteHeldReports();
}

void StoreSession::Report(const EventReport& report) {
    if (Hold(db_->folder(), report))
        return;
    try {
        EmulatedEventLog log([folder = db_->folder()] { return folder; });
        log.Report(report);
    } catch (const ComError&) {
    }
}

bool StoreSession::Hold(const std::string& folder, const EventReport& report) {
    if (!db_->HoldsWriteLock())
        return false;
    if (folder != db_->folder()) {
        const std::optional<FileKey> file = ServerFileKeyOf(folder);
        if (!file || file != db_->File())
            return false;
    }
    heldReports_.push_back(report);
    return true;
}

void StoreSession::TransactionEnded(bool committed) {
    gate_.TransactionEnded(committed);
    WriteHeldReports();
}

void StoreSession::WriteHeldReports() {
    for (const EventReport& report : std::exchange(heldReports_, {}))
        Report(report);
}

}  // namespace platform::emulated
