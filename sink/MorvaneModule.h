#pragma once

#include <cstdint>
#include <string>

#include "platform/StoreAdo.h"

// The per-event handlers of the sink and the settings they work with. Only
// SaveBegin does work: it stamps a delivered message's spam confidence level
// (SCL) into its keywords and comments.
namespace MorvaneModule {

// Flag bits of the store's event methods.
constexpr int32_t EVT_IS_COLLECTION = 0x00000002;
constexpr int32_t EVT_IS_DELIVERED = 0x00000008;
constexpr int32_t EVT_SYNC_BEGIN = 0x01000000;
constexpr int32_t EVT_SYNC_COMMITTED = 0x02000000;
constexpr int32_t EVT_SYNC_ABORTED = 0x04000000;

// Message properties the stamping reads and writes.
inline constexpr char kSclProperty[] = "http://schemas.microsoft.com/mapi/proptag/0x40760003";
inline constexpr char kKeywordsProperty[] = "urn:schemas-microsoft-com:office:office#Keywords";
inline constexpr char kCommentsProperty[] = "urn:schemas-microsoft-com:office:office#Comments";

// The display format that selects the bare stamp (compared without regard to
// case); every other value selects the "SCL=" form.
inline constexpr char kBareDisplayFormat[] = "<SCL value>";

// The settings of the calling thread: the full path of the settings file
// and the display format last read from it. Both start empty.
extern thread_local std::string sIniFile;
extern thread_local std::string sDisplayFormat;

// The step a handler of the calling thread is at, so that an error that
// ends it can be reported for what failed: fetching the event record,
// reading a field (or turning its value into text), writing a field, or
// committing the field changes.
enum class Step { EventRecord, FieldRead, FieldWrite, Update };
extern thread_local Step sStep;

// Save, begin phase: stamps a message being delivered. Errors after the
// flag test end the handler and reach the caller as platform::ComError;
// an item whose record could not be fetched fails with the fetch's error.
void SaveBegin(platform::store::EventInfo& pEventInfo, const std::string& bstrURLItem,
               int32_t lFlags);

// The other phases fetch the event's record and release it again.
void SaveCommitted(platform::store::EventInfo& pEventInfo, const std::string& bstrURLItem,
                   int32_t lFlags);
void SaveAborted(platform::store::EventInfo& pEventInfo, const std::string& bstrURLItem,
                 int32_t lFlags);
void DeleteBegin(platform::store::EventInfo& pEventInfo, const std::string& bstrURLItem,
                 int32_t lFlags);
void DeleteCommitted(platform::store::EventInfo& pEventInfo, const std::string& bstrURLItem,
                     int32_t lFlags);
void DeleteAborted(platform::store::EventInfo& pEventInfo, const std::string& bstrURLItem,
                   int32_t lFlags);

}  // namespace MorvaneModule
