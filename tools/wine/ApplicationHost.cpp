#include "tools/wine/ApplicationHost.h"

#include "platform/win32/WindowsHeaders.h"

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/ComError.h"
#include "platform/bridge/BridgeChannel.h"
#include "platform/bridge/BridgeListener.h"
#include "platform/bridge/BridgeRoots.h"
#include "platform/win32/WideText.h"
#include "tools/wine/ApartmentPool.h"
#include "tools/wine/HostLife.h"
#include "tools/wine/ThreadChannel.h"

namespace wine_bridge {

namespace {

namespace host_root = bridge::host_root;

// The platform's pool starts small and grows with the load; four
// apartments wait from the start.
constexpr size_t kLeastApartments = 4;
// How often the host looks at its record and its idleness.
constexpr int kLookMs = 250;
// ShutdownAfter's default: 3 minutes.
constexpr int kDefaultIdleMs = 180000;

// Whether the record still names this host: it holds the host's token.
// Before the record first names it, the host waits as long as for its
// first instance.
class RecordWatch {
  public:
    RecordWatch(std::wstring path, std::string token)
        : path_(std::move(path)), token_(std::move(token)) {}

    bool StillNamesThisHost() {
        const bool names = Names();
        seen_ = seen_ || names;
        return names || (!seen_ && std::chrono::steady_clock::now() - started_ <
                                       std::chrono::milliseconds(host_life::kFirstInstanceWaitMs));
    }

  private:
    bool Names() const {
        HANDLE file = CreateFileW(path_.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        char text[4096] = {};
        DWORD read = 0;
        const BOOL ok = ReadFile(file, text, sizeof text - 1, &read, nullptr);
        CloseHandle(file);
        return ok && !token_.empty() && std::string(text, read).find(token_) != std::string::npos;
    }

    std::wstring path_;
    std::string token_;
    bool seen_ = false;
    std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
};

// Serves the connection open makes on this apartment until it ends; a
// connection that fails ends alone, the host serves the others.
void ServeConnection(const std::function<bridge::Channel&()>& open) {
    try {
        open().Serve();
    } catch (const platform::ComError&) {
        // The caller is gone or broke the protocol: its objects went with
        // its connection.
    }
    DropThreadChannel();
}

}  // namespace

bool IsApplicationHost() {
    return !EnvironmentText(host_root::kApplicationVariable).empty();
}

int ServeApplication() {
    const std::string token = EnvironmentText(bridge::kTokenVariable);
    const std::string idle = EnvironmentText(host_root::kApplicationIdleVariable);
    const int idleMs = idle.empty() ? kDefaultIdleMs : std::atoi(idle.c_str());
    RecordWatch record(
        platform::win32::Utf8ToWide(EnvironmentText(host_root::kApplicationRecordVariable)), token);
    bridge::Listener listener;
    const uint16_t port = listener.Port();
    ApartmentPool apartments(kLeastApartments);
    // The caller that started the host is its first connection.
    apartments.Run([port] {
        ServeConnection([port]() -> bridge::Channel& { return ConnectThread(HostRoot(port)); });
    });
    while (record.StillNamesThisHost() && !host_life::BeginEndIfIdle(idleMs)) {
        auto socket = std::make_shared<std::unique_ptr<bridge::Socket>>(listener.Accept(kLookMs));
        if (!*socket)
            continue;
        apartments.Run([socket, token, port] {
            ServeConnection([&]() -> bridge::Channel& {
                return AdoptThreadChannel(bridge::Channel::Accept(
                    std::move(*socket), token, bridge::kIntroductionLimitMs, HostRoot(port)));
            });
        });
    }
    listener.Close();
    // The apartments may be in the middle of calls: the process ends as a
    // shut-down application's does, at once.
    TerminateProcess(GetCurrentProcess(), 0);
    return 0;
}

}  // namespace wine_bridge
