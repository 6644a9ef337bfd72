#pragma once

#include "platform/Machine.h"

// Whether the process runs under the 32-bit emulation of a 64-bit Windows.
namespace setup::basis64bit {

// True when kernel32 has "IsWow64Process" and it reports WOW64; every
// failure gives false.
bool Is64bit(platform::Machine& machine);

}  // namespace setup::basis64bit
