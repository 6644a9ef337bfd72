#pragma once

#include "platform/win32/WindowsHeaders.h"

#include <string>

#include "platform/Variant.h"

// The Windows libraries a host loads: each once, kept loaded while the host
// runs (with its event log calls routed to the server), from whichever
// apartment asks first. What each file was when it was loaded is kept, so
// that the host can tell which file it runs after the file was replaced.
namespace wine_bridge {

// Run-time errors of a library bound by file name, as the activation
// layer reports them.
inline constexpr int32_t kErrorInLoadingDll = 48;
inline constexpr int32_t kEntryPointNotFound = 453;

// The library at path (a Windows path), loaded at the first call; a file
// that cannot be loaded throws run-time error 48.
HMODULE HostLibrary(const std::wstring& path);
// An export of that library; a missing one throws run-time error 453.
void* HostLibraryExport(const std::wstring& path, const char* name);
// [path, size in bytes at the load] of every library loaded, first loaded
// first.
platform::Variant::Array LoadedLibraries();

}  // namespace wine_bridge
