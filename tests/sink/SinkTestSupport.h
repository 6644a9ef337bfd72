#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/ComError.h"
#include "platform/EventLog.h"
#include "platform/Variant.h"
#include "sink/FailureReports.h"
#include "sink/MorvaneModule.h"
#include "tests/sink/FakeStore.h"
#include "tests/support/TempFolder.h"

namespace sinktest {

// Flag words the store passes for a delivered message.
// The property a stamped message carries its comments in.
constexpr char kComments[] = "urn:schemas-microsoft-com:office:office#Comments";
constexpr int32_t kDeliveredBegin = MorvaneModule::EVT_SYNC_BEGIN | MorvaneModule::EVT_IS_DELIVERED;
constexpr int32_t kDeliveredCommitted =
    MorvaneModule::EVT_SYNC_COMMITTED | MorvaneModule::EVT_IS_DELIVERED;

inline const std::string kItemUrl =
    "http://mail/exadmin/example.com/mbx/ann@example.com/Inbox/m1.eml";
inline const std::string kSclFormat = "SCL=<SCL value>";
inline const std::string kBareFormat = "<SCL value>";

// A message's properties: the SCL (none when empty) and the keywords (none
// when nullopt).
fakestore::FieldList Message(const platform::Variant& scl,
                             std::optional<std::vector<std::string>> keywords = std::nullopt);

// The keywords of a committed item as texts; fails the test when the value
// is not an array of strings.
std::vector<std::string> KeywordsOf(const fakestore::FakeEventInfo& info);

// Writes a settings file with the display format into the folder.
void WriteSettings(const testsupport::TempFolder& folder, const std::string& displayFormat);

// An event log that keeps the entries it is given, or refuses them.
class RecordingEventLog : public platform::EventLog {
  public:
    std::vector<platform::EventReport> entries;
    bool refuses = false;
    void Report(const platform::EventReport& report) override {
        if (refuses)
            throw platform::ComError(platform::hresult::E_ACCESSDENIED, "Access is denied.");
        entries.push_back(report);
    }
};

// The failure reports of a test: into a recording log, by a steady clock
// that moves only when the test says so.
struct TestReports {
    RecordingEventLog log;
    platform::FixedMonotonicClock clock;
    FailureReports reports{log, clock};
};

// The entry a first failure with "Access is denied." in the begin phase of
// a save of kItemUrl gives.
inline platform::EventReport BeginReport(uint32_t eventId) {
    return {"Morvane",
            platform::EventType::Warning,
            eventId,
            {"save, begin", kItemUrl, "-2147024891", "Access is denied.", "1"}};
}

// Points the calling thread's settings at the folder for the test's lifetime
// and resets the thread's settings variables.
class SettingsFolderScope {
  public:
    explicit SettingsFolderScope(const std::string& folder);
    ~SettingsFolderScope();
    SettingsFolderScope(const SettingsFolderScope&) = delete;
    SettingsFolderScope& operator=(const SettingsFolderScope&) = delete;
};

}  // namespace sinktest

namespace platform {
// Shows values readably in test failures.
void PrintTo(const Variant& value, std::ostream* out);
}  // namespace platform
