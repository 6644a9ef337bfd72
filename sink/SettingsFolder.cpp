#include "sink/LibraryFolder.h"

namespace {
// Per thread, like the settings the folder is read for.
thread_local std::optional<std::string> tOverride;
}  // namespace

std::string SettingsFolder() {
    if (tOverride)
        return *tOverride;
    return LibraryFolder();
}

void SetSettingsFolderOverride(std::optional<std::string> folder) {
    tOverride = std::move(folder);
}
