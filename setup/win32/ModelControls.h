#pragma once

#include <string>

#include "setup/InstallForm.h"

namespace setup::win32 {

// The model control of the form with that name; nullptr if it has none.
forms::Control* ModelControl(InstallForm& form, const std::string& name);

}  // namespace setup::win32
