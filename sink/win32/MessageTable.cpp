// The message table compiled into the library (MorvaneMessages.mc) has one
// message per kind of failure the sink reports, under the kind's value.
// clang-format off
#include "platform/win32/WindowsHeaders.h"
#include "MorvaneMessages.h"
// clang-format on
#include "sink/FailureReports.h"

namespace {

constexpr bool IsMessageOf(unsigned long messageId, FailureKind kind) {
    return messageId == static_cast<unsigned long>(kind);
}

static_assert(IsMessageOf(MORVANE_SETTINGS_READ_FAILED, FailureKind::SettingsRead));
static_assert(IsMessageOf(MORVANE_EVENT_RECORD_FAILED, FailureKind::EventRecord));
static_assert(IsMessageOf(MORVANE_FIELD_READ_FAILED, FailureKind::FieldRead));
static_assert(IsMessageOf(MORVANE_FIELD_WRITE_FAILED, FailureKind::FieldWrite));
static_assert(IsMessageOf(MORVANE_UPDATE_FAILED, FailureKind::Update));
static_assert(IsMessageOf(MORVANE_OTHER_FAILURE, FailureKind::Other));
static_assert(FailureReports::kKinds == 6, "every kind has its message above");

}  // namespace
