#pragma once

#include "platform/win32/WindowsHeaders.h"

// The class's entries in the registry: class, ProgID, type library and
// interface, with the apartment threading model.
namespace morvane_com {

HRESULT RegisterServer();
// Removes what RegisterServer writes; entries that are already gone are
// not an error.
HRESULT UnregisterServer();

}  // namespace morvane_com
