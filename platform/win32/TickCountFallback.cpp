// The threads library of the toolchain imports GetTickCount64, which
// Windows Server 2003 does not have. This file fills that import slot with
// a function of our own, so the binaries load there; it is compiled into
// every binary that uses the adapters.
#include "platform/win32/WindowsHeaders.h"

namespace {

ULONGLONG WINAPI MillisecondsSinceStart() {
    LARGE_INTEGER frequency{};
    LARGE_INTEGER counter{};
    if (!QueryPerformanceFrequency(&frequency) || frequency.QuadPart == 0 ||
        !QueryPerformanceCounter(&counter))
        return GetTickCount();
    const ULONGLONG ticks = static_cast<ULONGLONG>(counter.QuadPart);
    const ULONGLONG perSecond = static_cast<ULONGLONG>(frequency.QuadPart);
    return ticks / perSecond * 1000 + ticks % perSecond * 1000 / perSecond;
}

}  // namespace

#if defined(__i386__)
extern "C" ULONGLONG(WINAPI* morvane_tick_count_slot)() __asm__("__imp__GetTickCount64@0");
ULONGLONG(WINAPI* morvane_tick_count_slot)
() __asm__("__imp__GetTickCount64@0") = MillisecondsSinceStart;
#else
extern "C" ULONGLONG(WINAPI* morvane_tick_count_slot)() __asm__("__imp_GetTickCount64");
ULONGLONG(WINAPI* morvane_tick_count_slot)
() __asm__("__imp_GetTickCount64") = MillisecondsSinceStart;
#endif
