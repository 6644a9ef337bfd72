#pragma once

#include <string>

#include "platform/emulated/activation/Registry.h"

// What the library's self-registration writes into the registry of the
// emulated server: the class MorvaneCls (library file, ProgID, threading
// model "Apartment", type library), its ProgID, the type library "Morvane"
// 1.0 and the interface _MorvaneCls. Unregistration removes exactly those.
namespace morvane_posix {

void RegisterMorvane(platform::emulated::Registry& registry, const std::string& libraryPath);
void UnregisterMorvane(platform::emulated::Registry& registry);

}  // namespace morvane_posix
