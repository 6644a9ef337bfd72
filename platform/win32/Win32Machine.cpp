// The port is declared before the Windows headers turn its member names
// into macros; they are undone right after.
#include "platform/win32/Win32Machine.h"

#include <vector>

#include "platform/win32/ComFailure.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WindowsHeaders.h"

#undef GetVersionEx
#undef GetUserName
#undef RegOpenKey

namespace platform::win32 {

namespace {

HKEY HiveHandle(uint32_t hive) {
    // Predefined keys are sign-extended 32-bit values.
    return reinterpret_cast<HKEY>(static_cast<intptr_t>(static_cast<int32_t>(hive)));
}

}  // namespace

bool Win32Machine::GetVersionEx(OsVersionInfo& info) {
    if (info.dwOSVersionInfoSize != OsVersionInfo::kAnsiSize)
        return false;
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!::GetVersionExA(&version))
        return false;
    info.dwMajorVersion = version.dwMajorVersion;
    info.dwMinorVersion = version.dwMinorVersion;
    info.dwBuildNumber = version.dwBuildNumber;
    info.dwPlatformId = version.dwPlatformId;
    info.szCSDVersion = AnsiToUtf8(version.szCSDVersion);
    return true;
}

bool Win32Machine::HasProcedure(const std::string& module, const std::string& function) {
    HMODULE handle = GetModuleHandleA(Utf8ToAnsi(module).c_str());
    return handle != nullptr && GetProcAddress(handle, function.c_str()) != nullptr;
}

bool Win32Machine::IsWow64Process(bool& wow64) {
    using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);
    HMODULE kernel = GetModuleHandleA("kernel32");
    FARPROC address = kernel != nullptr ? GetProcAddress(kernel, "IsWow64Process") : nullptr;
    if (address == nullptr)
        return false;
    auto function = reinterpret_cast<IsWow64ProcessFunction>(reinterpret_cast<void*>(address));
    BOOL flag = FALSE;
    if (!function(GetCurrentProcess(), &flag))
        return false;
    wow64 = flag != FALSE;
    return true;
}

int32_t Win32Machine::RegOpenKey(uint32_t hive, const std::string& path, uint32_t& key) {
    HKEY opened = nullptr;
    LONG status = ::RegOpenKeyA(HiveHandle(hive), Utf8ToAnsi(path).c_str(), &opened);
    if (status != ERROR_SUCCESS)
        return static_cast<int32_t>(status);
    key = nextKey_++;
    keys_[key] = opened;
    return ERROR_SUCCESS;
}

int32_t Win32Machine::RegCloseKey(uint32_t key) {
    auto found = keys_.find(key);
    if (found == keys_.end())
        return ERROR_INVALID_HANDLE;
    LONG status = ::RegCloseKey(static_cast<HKEY>(found->second));
    keys_.erase(found);
    return static_cast<int32_t>(status);
}

int32_t Win32Machine::GetUserName(std::string& buffer, uint32_t& size) {
    std::vector<char> ansi(size + 1, '\0');
    DWORD count = size;
    if (!::GetUserNameA(ansi.data(), &count)) {
        const DWORD error = GetLastError();
        if (error == ERROR_INSUFFICIENT_BUFFER)
            size = count;
        // A failure that left no error code is a failure all the same.
        return static_cast<int32_t>(error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE);
    }
    // The name in the core's UTF-8, followed by its NUL; the rest of the
    // buffer stays as it was.
    std::string name = AnsiToUtf8(std::string_view(ansi.data(), count > 0 ? count - 1 : 0)) + '\0';
    if (name.size() > buffer.size()) {
        size = static_cast<uint32_t>(name.size());
        return ERROR_INSUFFICIENT_BUFFER;
    }
    buffer.replace(0, name.size(), name);
    size = static_cast<uint32_t>(name.size());
    return ERROR_SUCCESS;
}

ComError Win32Machine::SystemError(int32_t code) {
    const int32_t number = hresult::FromSystemError(code);
    std::string text = SystemMessage(number);
    return ComError(number, text.empty() ? "Automation error" : text);
}

}  // namespace platform::win32

namespace platform {

Machine& SystemMachine() {
    static win32::Win32Machine machine;
    return machine;
}

}  // namespace platform
