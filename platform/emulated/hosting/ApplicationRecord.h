#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Where the host process of a COM+ server application is published for
// every process of one server: a record in the server's folder
// ("applications/<name>.host": the process, its listener's port and the
// token that introduces a caller), read and written while a lock file
// beside it is held, so that concurrent first activations start one host.
// A record is replaced in one step, never seen half written.
namespace platform::emulated {

// A process, told apart from a later one of the same number by its start.
struct ProcessIdentity {
    pid_t process = 0;
    uint64_t started = 0;

    friend bool operator==(const ProcessIdentity&, const ProcessIdentity&) = default;
};

// The identity of a process that runs now; nullopt when there is none (or
// only what is left of an ended one).
std::optional<ProcessIdentity> RunningProcess(pid_t process);
bool IsRunning(const ProcessIdentity& identity);
// Ends the process if it still runs, reaps it when it is this process's
// child, and waits until it is gone.
void EndProcess(const ProcessIdentity& identity);

struct ApplicationRecord {
    ProcessIdentity host;
    uint16_t port = 0;
    std::string token;
};

// The lock of one application's record while it lives. Failures to make
// the folder or the lock throw CO_E_SERVER_EXEC_FAILURE.
class ApplicationRecordLock {
  public:
    ApplicationRecordLock(const std::string& serverFolder, const std::string& application);
    ~ApplicationRecordLock();
    ApplicationRecordLock(const ApplicationRecordLock&) = delete;
    ApplicationRecordLock& operator=(const ApplicationRecordLock&) = delete;

    // The record's file, where it is or would be.
    const std::string& Path() const { return path_; }
    // nullopt when there is none or it cannot be read.
    std::optional<ApplicationRecord> Read() const;
    void Write(const ApplicationRecord& record);
    void Remove();

  private:
    std::string path_;
    int handle_ = -1;
};

// Whether the server's folder holds records at all (or ever did).
bool HasApplicationRecords(const std::string& serverFolder);
// The applications of the server that have a record.
std::vector<std::string> RecordedApplications(const std::string& serverFolder);

}  // namespace platform::emulated
