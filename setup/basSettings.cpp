#include "setup/basSettings.h"

#include "common/basIniFile.h"
#include "platform/Text.h"
#include "setup/InstallForm.h"
#include "setup/basGlobals.h"

namespace setup::basSettings {

namespace {

void SetLocation(InstallForm& form) {
    platform::FileSystem& fileSystem = form.Ports().fileSystem;
    const std::string product = basGlobals::kProductWord;
    sIniFile = fileSystem.JoinPath(fileSystem.ProgramFolder(), product + ".ini");
    sIniSection = product + " Settings";
    sIniKey = "SCLDisplayFormat";
}

}  // namespace

void LoadDisplayFormat(InstallForm& form) {
    SetLocation(form);
    const std::string value =
        basIniFile::ReadIniString(form.Ports().profile, sIniSection, sIniKey, "", sIniFile);
    if (platform::text::EqualsNoCase(value, form.Option2.Caption())) {
        form.Option2.SetValue(true);
    } else {
        form.Option1.SetValue(true);
    }
}

void SaveDisplayFormat(InstallForm& form) {
    SetLocation(form);
    const std::string& value =
        form.Option2.Value() ? form.Option2.Caption() : form.Option1.Caption();
    basIniFile::WriteIniString(form.Ports().profile, sIniSection, sIniKey, value, sIniFile);
}

}  // namespace setup::basSettings
