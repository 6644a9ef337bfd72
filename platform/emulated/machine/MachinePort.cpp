#include "platform/ComError.h"
#include "platform/emulated/activation/Registry.h"
#include "platform/emulated/db/Faults.h"
#include "platform/emulated/machine/MachineFacts.h"

namespace platform::emulated {

namespace {

// The root name of a hive handle value; "" for an unknown handle.
std::string HiveName(uint32_t hive) {
    switch (hive) {
        case HKEY_CLASSES_ROOT_VALUE:
            return "HKEY_CLASSES_ROOT";
        case HKEY_CURRENT_USER_VALUE:
            return "HKEY_CURRENT_USER";
        case HKEY_LOCAL_MACHINE_VALUE:
            return "HKEY_LOCAL_MACHINE";
        case HKEY_USERS_VALUE:
            return "HKEY_USERS";
        default:
            return "";
    }
}

// The system's own words for the codes this machine answers with.
std::string SystemText(int32_t code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND_CODE:
            return "The system cannot find the file specified";
        case ERROR_INVALID_HANDLE_CODE:
            return "The handle is invalid";
        case ERROR_INSUFFICIENT_BUFFER_CODE:
            return "The data area passed to a system call is too small";
        default:
            return "Unknown error " + std::to_string(code);
    }
}

}  // namespace

EmulatedMachine::EmulatedMachine(std::function<std::string()> serverFolder)
    : serverFolder_(std::move(serverFolder)) {}

std::shared_ptr<ServerDb> EmulatedMachine::OpenServer() {
    try {
        return ServerDb::Open(serverFolder_());
    } catch (const ServerError& error) {
        throw ComError(hresult::E_FAIL, error.what());
    }
}

MachineFacts EmulatedMachine::Facts() {
    auto db = OpenServer();
    try {
        return ReadMachineFacts(*db);
    } catch (const std::exception& error) {
        throw ComError(hresult::E_FAIL, error.what());
    }
}

bool EmulatedMachine::GetVersionEx(OsVersionInfo& info) {
    if (info.dwOSVersionInfoSize != OsVersionInfo::kAnsiSize) {
        return false;
    }
    const MachineFacts facts = Facts();
    info.dwPlatformId = facts.platformId;
    info.dwMajorVersion = facts.major;
    info.dwMinorVersion = facts.minor;
    info.dwBuildNumber = facts.platformId == 2 && facts.major == 5 && facts.minor == 2 ? 3790 : 0;
    info.szCSDVersion = std::string(128, '\0');
    return true;
}

// IsWow64Process exists from Windows XP (NT 5.1) on.
bool EmulatedMachine::HasProcedure(const std::string& module, const std::string& function) {
    if (module != "kernel32" || function != "IsWow64Process") {
        return false;
    }
    const MachineFacts facts = Facts();
    return facts.platformId == 2 && (facts.major > 5 || (facts.major == 5 && facts.minor >= 1));
}

bool EmulatedMachine::IsWow64Process(bool& wow64) {
    wow64 = Facts().wow64;
    return true;
}

int32_t EmulatedMachine::RegOpenKey(uint32_t hive, const std::string& path, uint32_t& key) {
    const std::string hiveName = HiveName(hive);
    if (hiveName.empty()) {
        return ERROR_INVALID_HANDLE_CODE;
    }
    auto db = OpenServer();
    bool exists = false;
    try {
        if (const int32_t failure =
                PlantedFailure(*db, "machine.regopenkey", hiveName + "\\" + path))
            return failure;
        exists = Registry(db).KeyExists(hiveName, path);
    } catch (const ServerError& error) {
        throw ComError(hresult::E_FAIL, error.what());
    }
    if (!exists) {
        return ERROR_FILE_NOT_FOUND_CODE;
    }
    key = nextKey_++;
    openKeys_.insert(key);
    return ERROR_SUCCESS_CODE;
}

int32_t EmulatedMachine::RegCloseKey(uint32_t key) {
    return openKeys_.erase(key) == 1 ? ERROR_SUCCESS_CODE : ERROR_INVALID_HANDLE_CODE;
}

int32_t EmulatedMachine::GetUserName(std::string& buffer, uint32_t& size) {
    try {
        if (const int32_t failure = PlantedFailure(*OpenServer(), "machine.username", ""))
            return failure;
    } catch (const ServerError& error) {
        throw ComError(hresult::E_FAIL, error.what());
    }
    std::string name = Facts().user;
    if (name.empty()) {
        name = ProcessAccountName();
    }
    const uint32_t needed = static_cast<uint32_t>(name.size() + 1);
    if (needed > size || needed > buffer.size()) {
        size = needed;
        return ERROR_INSUFFICIENT_BUFFER_CODE;
    }
    buffer.replace(0, needed, name + '\0');
    size = needed;
    return ERROR_SUCCESS_CODE;
}

ComError EmulatedMachine::SystemError(int32_t code) {
    const auto planted = plantedTexts_.find(code);
    return ComError(hresult::FromSystemError(code),
                    planted != plantedTexts_.end() ? planted->second : SystemText(code));
}

// A planted HRESULT of the system's errors (0x8007xxxx) is its code; any
// other is answered as it stands, which words itself the same way. A code
// of 0 would read as success: E_FAIL instead.
int32_t EmulatedMachine::PlantedFailure(ServerDb& db, std::string_view operation,
                                        std::string_view url) {
    const std::optional<PlantedFault> fault = Faults(db).Take(operation, url);
    if (!fault)
        return ERROR_SUCCESS_CODE;
    const auto number = static_cast<uint32_t>(fault->number);
    int32_t code = (number & 0xFFFF0000u) == 0x80070000u ? static_cast<int32_t>(number & 0xFFFFu)
                                                         : fault->number;
    if (code == ERROR_SUCCESS_CODE)
        code = hresult::E_FAIL;
    plantedTexts_[code] = fault->description;
    return code;
}

}  // namespace platform::emulated

namespace platform {

Machine& SystemMachine() {
    static emulated::EmulatedMachine machine;
    return machine;
}

}  // namespace platform
