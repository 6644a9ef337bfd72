#pragma once

#include <cstdint>
#include <string>

#include "platform/Machine.h"

// Registry probes.
namespace setup::basRegistry {

// True exactly when the key can be opened; every failure gives false.
bool RegKeyExists(platform::Machine& machine, uint32_t hive, const std::string& keyPath);

// Opens the key and closes it again: the open's result, ERROR_SUCCESS_CODE
// or the system error code. A machine that cannot be asked throws.
int32_t RegKeyOpenResult(platform::Machine& machine, uint32_t hive, const std::string& keyPath);

}  // namespace setup::basRegistry
