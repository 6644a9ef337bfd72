#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The system's Application event log, where server components report what
// went wrong while nobody watched. Two ports: the log a component reports
// to (RegisterEventSourceW, ReportEventW, DeregisterEventSource) and the
// registration of an event source, which tells the event viewer the file
// whose message table turns an entry's event ID and inserts into sentences.
namespace platform {

// Event types, with the Win32 values (EVENTLOG_ERROR_TYPE, ...).
enum class EventType : uint16_t { Error = 0x1, Warning = 0x2, Information = 0x4 };

// "Error", "Warning", "Information"; "Unknown" for any other value.
const char* EventTypeName(EventType type);

// One entry: who reports it, how serious it is, which message of the
// source's message table it is and the texts that message inserts.
struct EventReport {
    std::string source;
    EventType type = EventType::Information;
    uint32_t eventId = 0;
    std::vector<std::string> inserts;

    friend bool operator==(const EventReport&, const EventReport&) = default;
};

class EventLog {
  public:
    virtual ~EventLog() = default;
    // Writes the entry to the Application log. Nothing is kept open between
    // calls. A failure throws ComError.
    virtual void Report(const EventReport& report) = 0;
};

// The registry key of an Application log source
// (HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services\Eventlog\Application\<source>).
class EventSources {
  public:
    virtual ~EventSources() = default;
    // Creates or replaces the source's values EventMessageFile (the file
    // with the message table) and TypesSupported. A failure throws ComError.
    virtual void RegisterSource(const std::string& source, const std::string& messageFile,
                                uint32_t typesSupported) = 0;
    // Removes the source's key; a source that is not registered is no
    // failure. A failure throws ComError.
    virtual void RemoveSource(const std::string& source) = 0;
    // Whether the source's key exists. A failure throws ComError.
    virtual bool SourceExists(const std::string& source) = 0;
};

// The event log and the source registry of the platform the program runs on.
EventLog& SystemEventLog();
EventSources& SystemEventSources();

}  // namespace platform
