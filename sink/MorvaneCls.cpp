#include "sink/MorvaneCls.h"

#include <new>

#include "common/basIniFile.h"
#include "platform/ComError.h"
#include "sink/LibraryFolder.h"
#include "sink/MorvaneModule.h"
#include "sink/ProductWord.h"

namespace {

const std::string& SettingsFileName() {
    static const std::string name = std::string(kProductWord) + ".ini";
    return name;
}

const std::string& SettingsSection() {
    static const std::string section = std::string(kProductWord) + " Settings";
    return section;
}

constexpr char kDisplayFormatKey[] = "SCLDisplayFormat";

// Joined as plain text: a folder that ends in a separator yields a doubled one.
constexpr char kPathSeparator = static_cast<char>(MORVANE_PATH_SEPARATOR);

// The phase an event method ran: the dispatch's tests in the dispatch's order.
const char* PhaseName(int32_t lFlags) {
    if ((lFlags & MorvaneModule::EVT_SYNC_BEGIN) != 0)
        return "begin";
    if ((lFlags & MorvaneModule::EVT_SYNC_COMMITTED) != 0)
        return "committed";
    return "aborted";
}

FailureKind KindOf(MorvaneModule::Step step) {
    switch (step) {
        case MorvaneModule::Step::EventRecord:
            return FailureKind::EventRecord;
        case MorvaneModule::Step::FieldRead:
            return FailureKind::FieldRead;
        case MorvaneModule::Step::FieldWrite:
            return FailureKind::FieldWrite;
        case MorvaneModule::Step::Update:
            return FailureKind::Update;
    }
    return FailureKind::Other;
}

}  // namespace

MorvaneCls::MorvaneCls(platform::store::Ado& ado, const platform::Clock& clock,
                       FailureReports& reports, platform::Profile& profile)
    : ado_(ado), clock_(clock), reports_(reports), profile_(profile) {}

void MorvaneCls::OnSyncSave(platform::store::EventInfo& pEventInfo, const std::string& bstrURLItem,
                            int32_t lFlags) {
    using namespace MorvaneModule;
    // The sink never fails the store's save: whatever goes wrong, the save
    // goes ahead, unstamped or stamped.
    try {
        if ((lFlags & EVT_SYNC_BEGIN) != 0) {
            if (const std::optional<platform::ComError> failure = LoadSettings())
                ReportFailure(FailureKind::SettingsRead, "save", lFlags, bstrURLItem, *failure);
            SaveBegin(pEventInfo, bstrURLItem, lFlags);
        } else if ((lFlags & EVT_SYNC_COMMITTED) != 0) {
            SaveCommitted(pEventInfo, bstrURLItem, lFlags);
        } else if ((lFlags & EVT_SYNC_ABORTED) != 0) {
            SaveAborted(pEventInfo, bstrURLItem, lFlags);
        }
    } catch (const platform::ComError& error) {
        // The store is told nothing and saves the item as it is; the
        // administrator finds the failure in the event log.
        ReportFailure(KindOf(sStep), "save", lFlags, bstrURLItem, error);
    } catch (const std::bad_alloc&) {
        // Out of memory while stamping: likewise, the save goes ahead.
        ReportOutOfMemory("save", lFlags, bstrURLItem);
    }
}

void MorvaneCls::OnSyncDelete(platform::store::EventInfo& pEventInfo,
                              const std::string& bstrURLItem, int32_t lFlags) {
    using namespace MorvaneModule;
    // The delete goes ahead whatever the handlers meet.
    try {
        if ((lFlags & EVT_SYNC_BEGIN) != 0) {
            DeleteBegin(pEventInfo, bstrURLItem, lFlags);
        } else if ((lFlags & EVT_SYNC_COMMITTED) != 0) {
            DeleteCommitted(pEventInfo, bstrURLItem, lFlags);
        } else if ((lFlags & EVT_SYNC_ABORTED) != 0) {
            DeleteAborted(pEventInfo, bstrURLItem, lFlags);
        }
    } catch (const platform::ComError& error) {
        // The delete goes ahead; the failure goes to the event log.
        ReportFailure(KindOf(sStep), "delete", lFlags, bstrURLItem, error);
    } catch (const std::bad_alloc&) {
        // Likewise.
        ReportOutOfMemory("delete", lFlags, bstrURLItem);
    }
}

int32_t MorvaneCls::Register(platform::store::EventInfo&, const std::string&, int32_t) {
    return 0;
}

std::optional<platform::ComError> MorvaneCls::LoadSettings() {
    std::optional<platform::ComError> failure;
    try {
        MorvaneModule::sIniFile = SettingsFolder() + kPathSeparator + SettingsFileName();
    } catch (const platform::ComError& error) {
        // The path stays as it was.
        failure = error;
    }
    try {
        MorvaneModule::sDisplayFormat = basIniFile::ReadIniString(
            profile_, SettingsSection(), kDisplayFormatKey, "", MorvaneModule::sIniFile);
    } catch (const platform::ComError& error) {
        // The format stays as it was.
        if (!failure)
            failure = error;
    }
    return failure;
}

void MorvaneCls::ReportFailure(FailureKind kind, const char* event, int32_t lFlags,
                               const std::string& bstrURLItem, const platform::ComError& error) {
    reports_.Report(kind, event, PhaseName(lFlags), bstrURLItem, error.number(),
                    error.description());
}

void MorvaneCls::ReportOutOfMemory(const char* event, int32_t lFlags,
                                   const std::string& bstrURLItem) {
    reports_.Report(FailureKind::Other, event, PhaseName(lFlags), bstrURLItem,
                    platform::hresult::E_OUTOFMEMORY, "Out of memory");
}
