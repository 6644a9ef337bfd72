#include "tools/wine/RegistryCapture.h"

#include "platform/win32/WideText.h"

namespace wine_bridge {

namespace {

using platform::win32::WideToUtf8;

std::string ValueText(DWORD type, const BYTE* data, DWORD size) {
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        std::wstring_view text(reinterpret_cast<const wchar_t*>(data), size / sizeof(wchar_t));
        while (!text.empty() && text.back() == L'\0')
            text.remove_suffix(1);
        return WideToUtf8(text);
    }
    if (type == REG_DWORD && size == sizeof(DWORD))
        return std::to_string(*reinterpret_cast<const DWORD*>(data));
    return "";
}

void ReadTree(HKEY key, const std::wstring& path,
              const std::function<void(const CapturedWrite&)>& write) {
    for (DWORD index = 0;; ++index) {
        wchar_t name[16384];
        DWORD nameLength = 16384;
        BYTE data[8192];
        DWORD size = sizeof data;
        DWORD type = 0;
        if (RegEnumValueW(key, index, name, &nameLength, nullptr, &type, data, &size) !=
            ERROR_SUCCESS)
            break;
        write({WideToUtf8(path), WideToUtf8(std::wstring_view(name, nameLength)),
               ValueText(type, data, size)});
    }
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD nameLength = 256;
        if (RegEnumKeyExW(key, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        HKEY child = nullptr;
        if (RegOpenKeyExW(key, name, 0, KEY_READ, &child) != ERROR_SUCCESS)
            continue;
        ReadTree(child, path.empty() ? name : path + L"\\" + name, write);
        RegCloseKey(child);
    }
}

}  // namespace

HRESULT CaptureClassesRootWrites(HRESULT(STDAPICALLTYPE* entryPoint)(),
                                 const std::function<void(const CapturedWrite&)>& write) {
    const std::wstring path = L"Software\\Morvane Bridge\\Captured registration " +
                              std::to_wstring(GetCurrentProcessId());
    RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str());
    HKEY captured = nullptr;
    LONG status =
        RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &captured, nullptr);
    if (status != ERROR_SUCCESS)
        return HRESULT_FROM_WIN32(status);
    status = RegOverridePredefKey(HKEY_CLASSES_ROOT, captured);
    HRESULT hr = HRESULT_FROM_WIN32(status);
    if (status == ERROR_SUCCESS) {
        hr = entryPoint();
        RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
        ReadTree(captured, L"", write);
    }
    RegCloseKey(captured);
    RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str());
    return hr;
}

}  // namespace wine_bridge
