#include "setup/basRegistry.h"

#include "platform/ComError.h"

namespace setup::basRegistry {

bool RegKeyExists(platform::Machine& machine, uint32_t hive, const std::string& keyPath) {
    try {
        return RegKeyOpenResult(machine, hive, keyPath) == platform::ERROR_SUCCESS_CODE;
    } catch (const platform::ComError&) {
        return false;
    }
}

int32_t RegKeyOpenResult(platform::Machine& machine, uint32_t hive, const std::string& keyPath) {
    uint32_t key = 0;
    const int32_t result = machine.RegOpenKey(hive, keyPath, key);
    if (result == platform::ERROR_SUCCESS_CODE) {
        machine.RegCloseKey(key);
    }
    return result;
}

}  // namespace setup::basRegistry
