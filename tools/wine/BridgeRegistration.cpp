#include "tools/wine/BridgeRegistration.h"

#include <cwctype>
#include <iterator>
#include <string>
#include <vector>

#include "platform/win32/ClassesRoot.h"
#include "platform/win32/WideText.h"

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

// Every class of the bridge: those created by ProgID, then the moniker's.
std::vector<const bridge::BridgeClass*> AllClasses() {
    std::vector<const bridge::BridgeClass*> all(std::begin(bridge::kBridgeClasses),
                                                std::end(bridge::kBridgeClasses));
    all.push_back(&bridge::kDirectoryMoniker);
    return all;
}

LONG RegisterClass(const bridge::BridgeClass& served, const std::wstring& module) {
    const std::wstring progId = platform::win32::Utf8ToWide(served.progId);
    const std::wstring classKey = L"CLSID\\" + GuidText(ClassIdOf(served));
    const struct {
        std::wstring key;
        const wchar_t* name;
        std::wstring value;
    } entries[] = {
        {progId, nullptr, L"Morvane bridge: " + progId},
        {progId + L"\\CLSID", nullptr, GuidText(ClassIdOf(served))},
        {classKey, nullptr, L"Morvane bridge: " + progId},
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

bool ClassHolds(const bridge::BridgeClass& served, const std::wstring& module) {
    const CLSID clsid = ClassIdOf(served);
    CLSID found{};
    return SUCCEEDED(CLSIDFromProgID(platform::win32::Utf8ToWide(served.progId).c_str(), &found)) &&
           found == clsid &&
           SameText(GetText(L"CLSID\\" + GuidText(clsid) + L"\\InprocServer32", nullptr), module);
}

}  // namespace

CLSID ClassIdOf(const bridge::BridgeClass& served) {
    CLSID clsid{};
    CLSIDFromString(platform::win32::Utf8ToWide(served.clsid).c_str(), &clsid);
    return clsid;
}

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
    for (const bridge::BridgeClass* served : AllClasses()) {
        LONG status = RegisterClass(*served, module);
        if (status != ERROR_SUCCESS)
            return HRESULT_FROM_WIN32(status);
    }
    return S_OK;
}

HRESULT UnregisterBridgeClasses() {
    // The platform's own classes take their ProgIDs back at Wine's next
    // update of the prefix; until then they are simply not there.
    for (const bridge::BridgeClass* served : AllClasses()) {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, platform::win32::Utf8ToWide(served->progId).c_str());
        RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + GuidText(ClassIdOf(*served))).c_str());
    }
    return S_OK;
}

bool BridgeClassesHold() {
    const std::wstring module = BridgeModulePath();
    for (const bridge::BridgeClass* served : AllClasses()) {
        if (!ClassHolds(*served, module))
            return false;
    }
    return true;
}

}  // namespace wine_bridge
