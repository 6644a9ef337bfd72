#include "sink/win32/ModuleState.h"

#include <atomic>

#include "sink/win32/MorvaneIds.h"

namespace morvane_com {

namespace {
HMODULE g_module = nullptr;
std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};
}  // namespace

void SetModule(HMODULE module) {
    g_module = module;
}

HMODULE Module() {
    return g_module;
}

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD count = GetModuleFileNameW(g_module, path.data(), static_cast<DWORD>(path.size()));
        if (count == 0)
            return {};
        if (count < path.size()) {
            path.resize(count);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

void ObjectCreated() {
    ++g_objects;
}

void ObjectDestroyed() {
    --g_objects;
}

void LockServer(bool lock) {
    if (lock)
        ++g_locks;
    else
        --g_locks;
}

bool CanUnload() {
    return g_objects == 0 && g_locks == 0;
}

HRESULT LoadOwnTypeLib(platform::win32::ComPtr<ITypeLib>& typeLib) {
    std::wstring path = ModulePath();
    if (path.empty())
        return HRESULT_FROM_WIN32(GetLastError());
    return LoadTypeLibEx(path.c_str(), REGKIND_NONE, typeLib.Out());
}

HRESULT MorvaneClsTypeInfo(ITypeInfo** typeInfo) {
    platform::win32::ComPtr<ITypeLib> typeLib;
    HRESULT hr = LoadOwnTypeLib(typeLib);
    if (FAILED(hr))
        return hr;
    return typeLib->GetTypeInfoOfGuid(IID__MorvaneCls, typeInfo);
}

}  // namespace morvane_com
