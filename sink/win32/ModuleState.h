#pragma once

#include <string>

#include "platform/win32/ComPtr.h"
#include "platform/win32/WindowsHeaders.h"

// What the library keeps as a COM server: its module handle and the counts
// that decide whether it may be unloaded.
namespace morvane_com {

void SetModule(HMODULE module);
HMODULE Module();
// The full path of the library file, UTF-16.
std::wstring ModulePath();

// Live objects and server locks; the library may unload when both are 0.
void ObjectCreated();
void ObjectDestroyed();
void LockServer(bool lock);
bool CanUnload();

// The library's own type library, loaded from its TYPELIB resource.
HRESULT LoadOwnTypeLib(platform::win32::ComPtr<ITypeLib>& typeLib);
// The type information of _MorvaneCls.
HRESULT MorvaneClsTypeInfo(ITypeInfo** typeInfo);

}  // namespace morvane_com
