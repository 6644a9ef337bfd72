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

}  // namespace

MorvaneCls::MorvaneCls(platform::store::Ado& ado, const platform::Clock& clock)
    : ado_(ado), clock_(clock) {}

void MorvaneCls::OnSyncSave(platform::store::EventInfo& pEventInfo, const std::string& bstrURLItem,
                            int32_t lFlags) {
    using namespace MorvaneModule;
    // The sink never fails the store's save: whatever goes wrong, the save
    // goes ahead, unstamped or stamped.
    try {
        if ((lFlags & EVT_SYNC_BEGIN) != 0) {
            LoadSettings();
            SaveBegin(pEventInfo, bstrURLItem, lFlags);
        } else if ((lFlags & EVT_SYNC_COMMITTED) != 0) {
            SaveCommitted(pEventInfo, bstrURLItem, lFlags);
        } else if ((lFlags & EVT_SYNC_ABORTED) != 0) {
            SaveAborted(pEventInfo, bstrURLItem, lFlags);
        }
    } catch (const platform::ComError&) {
        // Swallowed: the store is told nothing and saves the item as it is.
    } catch (const std::bad_alloc&) {
        // Out of memory while stamping: likewise, the save goes ahead.
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
    } catch (const platform::ComError&) {
        // Swallowed: the delete goes ahead.
    } catch (const std::bad_alloc&) {
        // Likewise.
    }
}

int32_t MorvaneCls::Register(platform::store::EventInfo&, const std::string&, int32_t) {
    return 0;
}

void MorvaneCls::LoadSettings() {
    try {
        MorvaneModule::sIniFile = SettingsFolder() + kPathSeparator + SettingsFileName();
    } catch (const platform::ComError&) {
        // The path stays as it was.
    }
    try {
        MorvaneModule::sDisplayFormat = basIniFile::ReadIniString(
            SettingsSection(), kDisplayFormatKey, "", MorvaneModule::sIniFile);
    } catch (const platform::ComError&) {
        // The format stays as it was.
    }
}
