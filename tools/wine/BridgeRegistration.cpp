#include <cwctype>
#include <string>

#include "platform/win32/ClassesRoot.h"
#include "tools/wine/BridgeClasses.h"

namespace wine_bridge {

namespace {

using platform::win32::GuidText;

std::wstring GetText(const std::wstring& key, const wchar_t* name) {
    wchar_t buffer[1024] = {};
    DWORD size = sizeof buffer - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &size) !=
        ERROR_SUCCESS)
        return L"";
    return buffer;
}

bool SameText(std::wstring a, std::wstring b) {
    for (auto* text : {&a, &b})
        for (wchar_t& c : *text)
            c = static_cast<wchar_t>(std::towlower(c));
    return a == b;
}

LONG RegisterClass(const wchar_t* progId, const CLSID& clsid, const std::wstring& module) {
    const std::wstring classKey = L"CLSID\\" + GuidText(clsid);
    const struct {
        std::wstring key;
        const wchar_t* name;
        std::wstring value;
    } entries[] = {
        {progId, nullptr, std::wstring(L"Morvane bridge: ") + progId},
        {std::wstring(progId) + L"\\CLSID", nullptr, GuidText(clsid)},
        {classKey, nullptr, std::wstring(L"Morvane bridge: ") + progId},
        {classKey + L"\\ProgID", nullptr, progId},
        {classKey + L"\\InprocServer32", nullptr, module},
        {classKey + L"\\InprocServer32", L"ThreadingModel", L"Both"},
    };
    for (const auto& entry : entries) {
        LONG status = platform::win32::SetClassesRootText(entry.key, entry.name, entry.value);
        if (status != ERROR_SUCCESS)
            return status;
    }
    return ERROR_SUCCESS;
}

bool ClassHolds(const wchar_t* progId, const CLSID& clsid, const std::wstring& module) {
    CLSID found{};
    return SUCCEEDED(CLSIDFromProgID(progId, &found)) && found == clsid &&
           SameText(GetText(L"CLSID\\" + GuidText(clsid) + L"\\InprocServer32", nullptr), module);
}

}  // namespace

std::wstring BridgeModulePath() {
    HMODULE module = nullptr;
    GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&BridgeModulePath), &module);
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    return std::wstring(path, length);
}

HRESULT RegisterBridgeClasses() {
    const std::wstring module = BridgeModulePath();
    for (const BridgeClass& entry : kBridgeClasses) {
        LONG status = RegisterClass(entry.progId, entry.clsid, module);
        if (status != ERROR_SUCCESS)
            return HRESULT_FROM_WIN32(status);
    }
    return HRESULT_FROM_WIN32(RegisterClass(kMonikerProgId, kMonikerClassId, module));
}

HRESULT UnregisterBridgeClasses() {
    // The platform's own classes take their ProgIDs back at Wine's next
    // update of the prefix; until then they are simply not there.
    for (const BridgeClass& entry : kBridgeClasses) {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, entry.progId);
        RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + GuidText(entry.clsid)).c_str());
    }
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kMonikerProgId);
    RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + GuidText(kMonikerClassId)).c_str());
    return S_OK;
}

bool BridgeClassesHold() {
    const std::wstring module = BridgeModulePath();
    for (const BridgeClass& entry : kBridgeClasses) {
        if (!ClassHolds(entry.progId, entry.clsid, module))
            return false;
    }
    return ClassHolds(kMonikerProgId, kMonikerClassId, module);
}

}  // namespace wine_bridge
