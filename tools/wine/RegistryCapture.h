#pragma once

#include "platform/win32/WindowsHeaders.h"

#include <functional>
#include <string>

// Runs a registration entry point with HKEY_CLASSES_ROOT turned to an empty
// key of its own, so that everything it writes there is captured and
// nothing reaches the registry itself.
namespace wine_bridge {

struct CapturedWrite {
    std::string key;   // below HKEY_CLASSES_ROOT
    std::string name;  // "" for the default value
    std::string text;
};

HRESULT CaptureClassesRootWrites(HRESULT(STDAPICALLTYPE* entryPoint)(),
                                 const std::function<void(const CapturedWrite&)>& write);

}  // namespace wine_bridge
