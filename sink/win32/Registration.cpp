#include "sink/win32/Registration.h"

#include <string>

#include "platform/win32/ClassesRoot.h"
#include "platform/win32/WideText.h"
#include "sink/ProductWord.h"
#include "sink/win32/ModuleState.h"
#include "sink/win32/MorvaneIds.h"

namespace morvane_com {

namespace {

using platform::win32::GuidText;

std::wstring ProgId() {
    std::wstring word = platform::win32::Utf8ToWide(kProductWord);
    return word + L"." + word + L"Cls";
}

std::wstring ClassKey() {
    return L"CLSID\\" + GuidText(CLSID_MorvaneCls);
}

// Deletes a key with everything below it (RegDeleteTree is newer than the
// target system).
LONG DeleteKeyTree(HKEY parent, const std::wstring& key) {
    HKEY handle = nullptr;
    LONG status = RegOpenKeyExW(parent, key.c_str(), 0, KEY_READ | KEY_WRITE, &handle);
    if (status != ERROR_SUCCESS)
        return status;
    wchar_t child[256];
    for (;;) {
        DWORD length = 256;
        status = RegEnumKeyExW(handle, 0, child, &length, nullptr, nullptr, nullptr, nullptr);
        if (status != ERROR_SUCCESS)
            break;
        status = DeleteKeyTree(handle, child);
        if (status != ERROR_SUCCESS)
            break;
    }
    RegCloseKey(handle);
    if (status != ERROR_NO_MORE_ITEMS)
        return status;
    return RegDeleteKeyW(parent, key.c_str());
}

HRESULT DeleteTree(const std::wstring& key) {
    LONG status = DeleteKeyTree(HKEY_CLASSES_ROOT, key);
    if (status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND)
        return S_OK;
    return HRESULT_FROM_WIN32(status);
}

HRESULT RegisterClassEntries() {
    const std::wstring classKey = ClassKey();
    const std::wstring progId = ProgId();
    const std::wstring version =
        std::to_wstring(kTypeLibMajor) + L"." + std::to_wstring(kTypeLibMinor);
    const std::wstring path = ModulePath();
    if (path.empty())
        return HRESULT_FROM_WIN32(GetLastError());
    const struct {
        std::wstring key;
        const wchar_t* name;
        std::wstring value;
    } entries[] = {
        {classKey, nullptr, progId},
        {classKey + L"\\InprocServer32", nullptr, path},
        {classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {classKey + L"\\ProgID", nullptr, progId},
        {classKey + L"\\VersionIndependentProgID", nullptr, progId},
        {classKey + L"\\TypeLib", nullptr, GuidText(LIBID_Morvane)},
        {classKey + L"\\Version", nullptr, version},
        {classKey + L"\\Programmable", nullptr, L""},
        {progId, nullptr, progId},
        {progId + L"\\CLSID", nullptr, GuidText(CLSID_MorvaneCls)},
    };
    for (const auto& entry : entries) {
        HRESULT hr = HRESULT_FROM_WIN32(
            platform::win32::SetClassesRootText(entry.key, entry.name, entry.value));
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}

}  // namespace

HRESULT RegisterServer() {
    HRESULT hr = RegisterClassEntries();
    if (FAILED(hr))
        return hr;
    // The type library writes its own key and the entry of _MorvaneCls.
    platform::win32::ComPtr<ITypeLib> typeLib;
    hr = LoadOwnTypeLib(typeLib);
    if (FAILED(hr))
        return hr;
    std::wstring path = ModulePath();
    return RegisterTypeLib(typeLib.Get(), path.data(), nullptr);
}

HRESULT UnregisterServer() {
    // A type library that is no longer registered is fine: its keys and the
    // interface entry are removed below either way.
    SYSKIND kind = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;
    UnRegisterTypeLib(LIBID_Morvane, kTypeLibMajor, kTypeLibMinor, LOCALE_NEUTRAL, kind);
    HRESULT hr = DeleteTree(L"Interface\\" + GuidText(IID__MorvaneCls));
    if (SUCCEEDED(hr))
        hr = DeleteTree(L"TypeLib\\" + GuidText(LIBID_Morvane));
    if (SUCCEEDED(hr))
        hr = DeleteTree(ProgId());
    if (SUCCEEDED(hr))
        hr = DeleteTree(ClassKey());
    return hr;
}

}  // namespace morvane_com
