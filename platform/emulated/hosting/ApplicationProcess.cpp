#include "platform/emulated/hosting/ApplicationProcess.h"

#include <algorithm>
#include <map>

#include "platform/ComError.h"
#include "platform/Text.h"
#include "platform/bridge/BridgeRoots.h"
#include "platform/emulated/bridge/ServedClasses.h"
#include "platform/emulated/catalog/CatalogObjects.h"
#include "platform/emulated/hosting/ApplicationRecord.h"
#include "platform/emulated/hosting/WindowsHostLaunch.h"
#include "platform/emulated/machine/WindowsPaths.h"

namespace platform::emulated {

namespace {

namespace host_root = bridge::host_root;

constexpr int kMinuteMs = 60000;
constexpr int32_t kServerExecFailure = hresult::FromUnsigned(0x80080005);

// This thread's connections, by server folder and application.
struct ThreadConnection {
    std::shared_ptr<WindowsHost> host;
    ProcessIdentity process;
};
thread_local std::map<std::string, ThreadConnection> connections;

std::string KeyOf(const std::string& serverFolder, const std::string& application) {
    return serverFolder + "\n" + text::ToLower(application);
}

// Ends the host, and its record while the record names it.
void EndRecordedHost(const std::string& serverFolder, const std::string& application,
                     const ProcessIdentity& host) {
    ApplicationRecordLock lock(serverFolder, application);
    if (const auto record = lock.Read(); record && record->host == host)
        lock.Remove();
    EndProcess(host);
}

ThreadConnection Connection(std::unique_ptr<bridge::Channel> channel,
                            const std::string& serverFolder, const std::string& application,
                            const ProcessIdentity& process) {
    auto host = std::make_shared<WindowsHost>(
        std::move(channel), process.process, [serverFolder, application, process] {
            EndRecordedHost(serverFolder, application, process);
        });
    return {std::move(host), process};
}

// A connection to the host the record names; none when there is no record
// or its host does not run. A host that runs but refuses the connection
// or does not answer it in time is ending or hung: it is ended.
std::optional<ThreadConnection> ConnectToRecordedHost(ApplicationRecordLock& lock,
                                                      const std::string& serverFolder,
                                                      const std::string& application) {
    const std::optional<ApplicationRecord> record = lock.Read();
    if (!record)
        return std::nullopt;
    if (IsRunning(record->host)) {
        try {
            auto channel = bridge::Channel::Connect(record->port, record->token,
                                                    served::PlatformRoot(), CallLimitMs());
            if (channel->PeerRoot())
                return Connection(std::move(channel), serverFolder, application, record->host);
        } catch (const ComError&) {
            // Ended below.
        }
        EndProcess(record->host);
    }
    lock.Remove();
    return std::nullopt;
}

int IdleLimitMs(const std::string& serverFolder, const std::string& application) {
    const int32_t minutes = ApplicationShutdownAfter(*ServerDb::Open(serverFolder), application);
    return static_cast<int>(std::min<int64_t>(int64_t{minutes} * ComPlusMinuteMs(), INT32_MAX));
}

// Starts the application's host and publishes it.
ThreadConnection StartHost(ApplicationRecordLock& lock, const std::string& serverFolder,
                           const std::string& application) {
    HostStart start;
    start.ownSession = true;
    start.environment = {
        {host_root::kApplicationVariable, application},
        {host_root::kApplicationRecordVariable, wine::WindowsPath(lock.Path())},
        {host_root::kApplicationIdleVariable,
         std::to_string(IdleLimitMs(serverFolder, application))},
    };
    LaunchedHost launched = LaunchWindowsHost(start);
    const std::optional<ProcessIdentity> process = RunningProcess(launched.process);
    if (!process)
        throw ComError(kServerExecFailure,
                       "Server execution failed (the application's host ended at its start)");
    ThreadConnection connection =
        Connection(std::move(launched.channel), serverFolder, application, *process);
    try {
        std::vector<bridge::Value> none;
        const int32_t port =
            connection.host->Invoke(host_root::kListenerPort, none).AsVariant().AsInt32();
        lock.Write({*process, static_cast<uint16_t>(port), launched.token});
    } catch (const ComError&) {
        connection.host->End();
        throw;
    }
    return connection;
}

// This thread's connection to the host; a new one when it has none that
// runs, to the recorded host or, when none runs and start says so, to a
// new one.
std::shared_ptr<WindowsHost> HostOfThisThread(const std::string& serverFolder,
                                              const std::string& application, bool start) {
    ThreadConnection& connection = connections[KeyOf(serverFolder, application)];
    if (connection.host && connection.host->IsRunning() && IsRunning(connection.process))
        return connection.host;
    connection = {};
    ApplicationRecordLock lock(serverFolder, application);
    if (std::optional<ThreadConnection> recorded =
            ConnectToRecordedHost(lock, serverFolder, application))
        connection = std::move(*recorded);
    else if (start)
        connection = StartHost(lock, serverFolder, application);
    return connection.host;
}

}  // namespace

int ComPlusMinuteMs() {
    return MillisecondsSetting("MORVANE_COMPLUS_MINUTE_MS", kMinuteMs);
}

std::shared_ptr<WindowsHost> ApplicationHostOfThisThread(const std::string& serverFolder,
                                                         const std::string& application) {
    return HostOfThisThread(serverFolder, application, true);
}

std::shared_ptr<WindowsHost> RunningApplicationHostOfThisThread(const std::string& serverFolder,
                                                                const std::string& application) {
    if (!HasApplicationRecords(serverFolder))
        return nullptr;
    return HostOfThisThread(serverFolder, application, false);
}

std::optional<pid_t> RunningApplicationHost(const std::string& serverFolder,
                                            const std::string& application) {
    if (!HasApplicationRecords(serverFolder))
        return std::nullopt;
    ApplicationRecordLock lock(serverFolder, application);
    const std::optional<ApplicationRecord> record = lock.Read();
    if (!record || !IsRunning(record->host))
        return std::nullopt;
    return record->host.process;
}

void EndApplicationHost(const std::string& serverFolder, const std::string& application) {
    if (!HasApplicationRecords(serverFolder))
        return;
    std::optional<ApplicationRecord> record;
    {
        ApplicationRecordLock lock(serverFolder, application);
        record = lock.Read();
        lock.Remove();
    }
    if (record)
        EndProcess(record->host);
}

void EndApplicationHosts(const std::string& serverFolder) {
    for (const std::string& application : RecordedApplications(serverFolder))
        EndApplicationHost(serverFolder, application);
}

}  // namespace platform::emulated
