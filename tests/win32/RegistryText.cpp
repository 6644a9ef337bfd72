#include "tests/win32/RegistryText.h"

#include "platform/win32/WideText.h"
#include "platform/win32/WindowsHeaders.h"

namespace testsupport_win32 {

using platform::win32::Utf8ToWide;
using platform::win32::WideToUtf8;

std::optional<std::string> ClassesRootValue(const std::string& key, const std::string& name) {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, Utf8ToWide(key).c_str(), 0, KEY_READ, &handle) !=
        ERROR_SUCCESS)
        return std::nullopt;
    wchar_t value[1024] = {};
    DWORD size = sizeof value - sizeof(wchar_t);
    DWORD type = 0;
    std::wstring valueName = Utf8ToWide(name);
    LONG status = RegQueryValueExW(handle, name.empty() ? nullptr : valueName.c_str(), nullptr,
                                   &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(handle);
    if (status != ERROR_SUCCESS || type != REG_SZ)
        return std::nullopt;
    return WideToUtf8(value);
}

bool ClassesRootKeyExists(const std::string& key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, Utf8ToWide(key).c_str(), 0, KEY_READ, &handle) !=
        ERROR_SUCCESS)
        return false;
    RegCloseKey(handle);
    return true;
}

std::string ProgramFolder() {
    wchar_t path[MAX_PATH + 1] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return WideToUtf8(folder.substr(0, folder.find_last_of(L"\\/")));
}

}  // namespace testsupport_win32
