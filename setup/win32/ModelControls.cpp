#include "setup/win32/ModelControls.h"

namespace setup::win32 {

forms::Control* ModelControl(InstallForm& f, const std::string& name) {
    forms::Control* controls[] = {
        &f.Command1,      &f.Command2, &f.Command3,       &f.Command4,         &f.Command5,
        &f.Command6,      &f.Command7, &f.Command8,       &f.Check2,           &f.Check3,
        &f.Check4,        &f.Check5,   &f.Check7,         &f.Frame1,           &f.Option1,
        &f.Option2,       &f.Label2,   &f.Label3,         &f.Label5,           &f.Label7,
        &f.Label8,        &f.Label9,   &f.SysMbxInstList, &f.SysMbxUninstList, &f.MbxInstList,
        &f.MbxUninstList, &f.txtErr,   &f.Picture1,
    };
    for (forms::Control* control : controls)
        if (control->Name() == name)
            return control;
    return nullptr;
}

}  // namespace setup::win32
