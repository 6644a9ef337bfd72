#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/EventLog.h"
#include "platform/emulated/db/ServerDb.h"

// The emulated machine's Application event log and its registered event
// sources, kept in the server database, so that what a sink reported in
// the store's process is there for "morvane-lab eventlog" and the tests.
// Database failures throw ServerError.
namespace platform::emulated {

// One entry as the event viewer lists it: its number in the log, when it
// was written (local time, "2026-12-07 05:07:58") and what was reported.
struct EventLogEntry {
    int64_t recordNumber = 0;
    std::string timeWritten;
    EventReport report;
};

// Appends the entry, written at time; returns its record number.
int64_t AppendEventLogEntry(ServerDb& db, const EventReport& report, const LocalTime& time);
// Every entry, oldest first.
std::vector<EventLogEntry> ReadEventLog(ServerDb& db);

// A source's registry values.
struct EventSourceEntry {
    std::string source;
    std::string messageFile;
    uint32_t typesSupported = 0;

    friend bool operator==(const EventSourceEntry&, const EventSourceEntry&) = default;
};

// The registered source of that name (any letter case), if there is one.
std::optional<EventSourceEntry> FindEventSource(ServerDb& db, const std::string& source);

// Keeps the entries reported on a thread whose store operation holds the
// server's write lock: waiting for that lock on the thread that holds it
// cannot end, so the holder writes them when its transaction ends.
class HeldEventReports {
  public:
    virtual ~HeldEventReports() = default;
    // Whether the entry, for the server in folder, was kept.
    virtual bool Hold(const std::string& folder, const EventReport& report) = 0;
};

// Makes holder the one of this thread for its scope (the one before it
// again after).
class HoldEventReportsOnThisThread {
  public:
    explicit HoldEventReportsOnThisThread(HeldEventReports& holder);
    ~HoldEventReportsOnThisThread();
    HoldEventReportsOnThisThread(const HoldEventReportsOnThisThread&) = delete;
    HoldEventReportsOnThisThread& operator=(const HoldEventReportsOnThisThread&) = delete;

  private:
    HeldEventReports* before_;
};

// The EventLog port over the server in serverFolder(). An entry the
// holder of this thread keeps is written when it lets it go; any other
// waits at most a second for another writer of the server. A server that
// cannot be opened or written throws ComError E_FAIL.
class EmulatedEventLog final : public EventLog {
  public:
    explicit EmulatedEventLog(std::function<std::string()> serverFolder = ServerFolder,
                              const Clock& clock = SystemClock());
    void Report(const EventReport& report) override;

  private:
    std::function<std::string()> serverFolder_;
    const Clock& clock_;
};

// The EventSources port over the server in serverFolder(); failures throw
// ComError E_FAIL.
class EmulatedEventSources final : public EventSources {
  public:
    explicit EmulatedEventSources(std::function<std::string()> serverFolder = ServerFolder);
    void RegisterSource(const std::string& source, const std::string& messageFile,
                        uint32_t typesSupported) override;
    void RemoveSource(const std::string& source) override;
    bool SourceExists(const std::string& source) override;

  private:
    std::function<std::string()> serverFolder_;
};

}  // namespace platform::emulated
