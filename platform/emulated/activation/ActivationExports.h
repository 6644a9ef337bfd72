#pragma once

#include <cstdint>

// The four entry points an in-process server library defines, the only
// symbols it exports (ActivationExports.map). Included by libraries only;
// the activation layer finds them by name (ActivationLibrary.h).
#define MORVANE_ENTRY_POINT extern "C" __attribute__((visibility("default")))

MORVANE_ENTRY_POINT int32_t DllGetClassObject(const char* clsid, const char* iid, void** object);
MORVANE_ENTRY_POINT int32_t DllCanUnloadNow();
MORVANE_ENTRY_POINT int32_t DllRegisterServer();
MORVANE_ENTRY_POINT int32_t DllUnregisterServer();
