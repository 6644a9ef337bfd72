#pragma once

#include <string>

namespace setup {
class InstallForm;
}

// The display-format choice of the window, kept in the settings file in the
// program's own folder that the sink library reads too.
namespace setup::basSettings {

// The settings location, set afresh by every load and save.
inline std::string sIniFile;
inline std::string sIniSection;
inline std::string sIniKey;

// Selects Option2 when the file holds its caption (any letter case),
// otherwise Option1.
void LoadDisplayFormat(InstallForm& form);
// Writes the caption of the selected option.
void SaveDisplayFormat(InstallForm& form);

}  // namespace setup::basSettings
