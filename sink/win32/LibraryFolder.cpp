#include "sink/LibraryFolder.h"

#include <string>

#include "platform/win32/WideText.h"
#include "platform/win32/WindowsHeaders.h"

namespace {

// The module this function lives in: the library file, also when the
// process was started from another program.
HMODULE OwnModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&OwnModule), &module);
    return module;
}

}  // namespace

std::string LibraryFolder() {
    HMODULE module = OwnModule();
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD count = module == nullptr ? 0
                                        : GetModuleFileNameW(module, path.data(),
                                                             static_cast<DWORD>(path.size()));
        if (count == 0) {
            HRESULT hr = HRESULT_FROM_WIN32(GetLastError());
            throw platform::ComError(static_cast<int32_t>(hr),
                                     "The library's folder cannot be found");
        }
        if (count < path.size()) {
            path.resize(count);
            break;
        }
        path.resize(path.size() * 2);
    }
    size_t separator = path.find_last_of(L"\\/");
    if (separator != std::wstring::npos)
        path.resize(separator);
    return platform::win32::WideToUtf8(path);
}
