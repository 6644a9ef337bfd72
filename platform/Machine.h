#pragma once

#include <cstdint>
#include <string>

#include "platform/ComError.h"

// The machine port: the Win32 calls the setup program asks about the
// machine and the user with. Each call reports its outcome the way the
// Win32 function does (a BOOL or a system error code); a machine whose
// facts cannot be read at all throws platform::ComError.
namespace platform {

// Registry hives as 32-bit handle values.
constexpr uint32_t HKEY_CLASSES_ROOT_VALUE = 0x80000000;
constexpr uint32_t HKEY_CURRENT_USER_VALUE = 0x80000001;
constexpr uint32_t HKEY_LOCAL_MACHINE_VALUE = 0x80000002;
constexpr uint32_t HKEY_USERS_VALUE = 0x80000003;

constexpr int32_t ERROR_SUCCESS_CODE = 0;
constexpr int32_t ERROR_FILE_NOT_FOUND_CODE = 2;
constexpr int32_t ERROR_INVALID_HANDLE_CODE = 6;
constexpr int32_t ERROR_INVALID_PARAMETER_CODE = 87;
constexpr int32_t ERROR_INSUFFICIENT_BUFFER_CODE = 122;

// The ANSI OSVERSIONINFO record.
struct OsVersionInfo {
    static constexpr uint32_t kAnsiSize = 148;
    uint32_t dwOSVersionInfoSize = 0;
    uint32_t dwMajorVersion = 0;
    uint32_t dwMinorVersion = 0;
    uint32_t dwBuildNumber = 0;
    uint32_t dwPlatformId = 0;
    std::string szCSDVersion;  // 128 characters
};

class Machine {
  public:
    virtual ~Machine() = default;

    // GetVersionExA: fills info when its size field is kAnsiSize and
    // returns true; otherwise returns false and leaves info alone.
    virtual bool GetVersionEx(OsVersionInfo& info) = 0;

    // GetProcAddress(GetModuleHandleA(module), function) is not null.
    virtual bool HasProcedure(const std::string& module, const std::string& function) = 0;
    // IsWow64Process(GetCurrentProcess(), &wow64): false when the call fails.
    virtual bool IsWow64Process(bool& wow64) = 0;

    // RegOpenKeyA(hive, path, &key): ERROR_SUCCESS_CODE and a key handle,
    // or an error code.
    virtual int32_t RegOpenKey(uint32_t hive, const std::string& path, uint32_t& key) = 0;
    virtual int32_t RegCloseKey(uint32_t key) = 0;

    // GetUserNameA(buffer, &size): buffer holds size characters on entry.
    // On success ERROR_SUCCESS_CODE; buffer holds the name followed by a
    // NUL (the rest as it was) and size is the name's length plus one. On
    // failure the call's error code (GetLastError), with size set to the
    // length needed when the buffer was too small.
    virtual int32_t GetUserName(std::string& buffer, uint32_t& size) = 0;

    // The error of a call above that failed with a system error code, as
    // the system words it: HRESULT_FROM_WIN32(code) and its message text.
    virtual ComError SystemError(int32_t code) = 0;
};

// The machine the program runs on.
Machine& SystemMachine();

}  // namespace platform
