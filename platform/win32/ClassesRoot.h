#pragma once

#include "platform/win32/WindowsHeaders.h"

#include <string>

// The class registrations under HKEY_CLASSES_ROOT, as a library's
// DllRegisterServer writes them.
namespace platform::win32 {

// A GUID in its registry form, braces included.
std::wstring GuidText(const GUID& guid);

// Writes the default value (name null) or a named text value of a key
// under HKEY_CLASSES_ROOT, creating the key; answers the Win32 status.
LONG SetClassesRootText(const std::wstring& key, const wchar_t* name, const std::wstring& value);

}  // namespace platform::win32
