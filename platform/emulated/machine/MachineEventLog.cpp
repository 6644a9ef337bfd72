#include "platform/emulated/machine/MachineEventLog.h"

#include <cstdio>
#include <map>
#include <utility>

#include "platform/ComError.h"

namespace platform::emulated {

namespace {

// How long an entry waits for another writer of the server. Should a
// writer on this very thread hold the lock with no holder to keep the
// entry, waiting cannot end: the entry is then given up after this, not
// after the server's usual ten seconds.
constexpr int kReportWaitMs = 1000;

thread_local HeldEventReports* holderOnThisThread = nullptr;

std::string TimeText(const LocalTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return text;
}

// Runs work on the server in folder; its own failures become ComError.
template <typename Work>
auto OnServer(const std::string& folder, Work&& work) {
    try {
        std::shared_ptr<ServerDb> db = ServerDb::Open(folder);
        return work(*db);
    } catch (const ServerError& error) {
        throw ComError(hresult::E_FAIL, error.what());
    }
}

// Every entry's inserts, by record number, in their order.
std::map<int64_t, std::vector<std::string>> ReadInserts(ServerDb& db) {
    std::map<int64_t, std::vector<std::string>> inserts;
    Statement query = db.Prepare(
        "SELECT record_number, text FROM machine_event_inserts ORDER BY record_number, position");
    while (query.Step())
        inserts[query.Int(0)].push_back(query.Text(1));
    return inserts;
}

}  // namespace

int64_t AppendEventLogEntry(ServerDb& db, const EventReport& report, const LocalTime& time) {
    DbTransaction transaction(db);
    db.Prepare(
          "INSERT INTO machine_event_log(time_written, source, type, event_id) "
          "VALUES(?1, ?2, ?3, ?4)")
        .Bind(1, std::string_view(TimeText(time)))
        .Bind(2, std::string_view(report.source))
        .Bind(3, static_cast<int64_t>(report.type))
        .Bind(4, static_cast<int64_t>(report.eventId))
        .Run();
    const int64_t recordNumber = db.LastInsertId();
    for (size_t position = 0; position < report.inserts.size(); ++position) {
        db.Prepare(
              "INSERT INTO machine_event_inserts(record_number, position, text) "
              "VALUES(?1, ?2, ?3)")
            .Bind(1, recordNumber)
            .Bind(2, static_cast<int64_t>(position))
            .Bind(3, std::string_view(report.inserts[position]))
            .Run();
    }
    transaction.Commit();
    return recordNumber;
}

std::vector<EventLogEntry> ReadEventLog(ServerDb& db) {
    ReadSnapshot snapshot(db);
    std::map<int64_t, std::vector<std::string>> inserts = ReadInserts(db);
    std::vector<EventLogEntry> entries;
    Statement query = db.Prepare(
        "SELECT record_number, time_written, source, type, event_id FROM machine_event_log "
        "ORDER BY record_number");
    while (query.Step()) {
        EventLogEntry entry;
        entry.recordNumber = query.Int(0);
        entry.timeWritten = query.Text(1);
        entry.report.source = query.Text(2);
        entry.report.type = static_cast<EventType>(query.Int(3));
        entry.report.eventId = static_cast<uint32_t>(query.Int(4));
        entry.report.inserts = std::move(inserts[entry.recordNumber]);
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::optional<EventSourceEntry> FindEventSource(ServerDb& db, const std::string& source) {
    Statement query = db.Prepare(
        "SELECT source, message_file, types_supported FROM machine_event_sources "
        "WHERE source = ?1");
    query.Bind(1, std::string_view(source));
    if (!query.Step())
        return std::nullopt;
    return EventSourceEntry{query.Text(0), query.Text(1), static_cast<uint32_t>(query.Int(2))};
}

EmulatedEventLog::EmulatedEventLog(std::function<std::string()> serverFolder, const Clock& clock)
    : serverFolder_(std::move(serverFolder)), clock_(clock) {}

HoldEventReportsOnThisThread::HoldEventReportsOnThisThread(HeldEventReports& holder)
    : before_(std::exchange(holderOnThisThread, &holder)) {}

HoldEventReportsOnThisThread::~HoldEventReportsOnThisThread() {
    holderOnThisThread = before_;
}

void EmulatedEventLog::Report(const EventReport& report) {
    const std::string folder = serverFolder_();
    if (holderOnThisThread != nullptr && holderOnThisThread->Hold(folder, report))
        return;
    OnServer(folder, [&](ServerDb& db) {
        sqlite3_busy_timeout(db.handle(), kReportWaitMs);
        return AppendEventLogEntry(db, report, clock_.Now());
    });
}

EmulatedEventSources::EmulatedEventSources(std::function<std::string()> serverFolder)
    : serverFolder_(std::move(serverFolder)) {}

void EmulatedEventSources::RegisterSource(const std::string& source, const std::string& messageFile,
                                          uint32_t typesSupported) {
    OnServer(serverFolder_(), [&](ServerDb& db) {
        db.Prepare(
              "INSERT INTO machine_event_sources(source, message_file, types_supported) "
              "VALUES(?1, ?2, ?3) ON CONFLICT(source) DO UPDATE SET source = excluded.source, "
              "message_file = excluded.message_file, types_supported = excluded.types_supported")
            .Bind(1, std::string_view(source))
            .Bind(2, std::string_view(messageFile))
            .Bind(3, static_cast<int64_t>(typesSupported))
            .Run();
    });
}

void EmulatedEventSources::RemoveSource(const std::string& source) {
    OnServer(serverFolder_(), [&](ServerDb& db) {
        db.Prepare("DELETE FROM machine_event_sources WHERE source = ?1")
            .Bind(1, std::string_view(source))
            .Run();
    });
}

bool EmulatedEventSources::SourceExists(const std::string& source) {
    return OnServer(serverFolder_(),
                    [&](ServerDb& db) { return FindEventSource(db, source).has_value(); });
}

}  // namespace platform::emulated

namespace platform {

EventLog& SystemEventLog() {
    static emulated::EmulatedEventLog log;
    return log;
}

EventSources& SystemEventSources() {
    static emulated::EmulatedEventSources sources;
    return sources;
}

}  // namespace platform
