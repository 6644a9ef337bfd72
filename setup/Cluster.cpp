#include "setup/Cluster.h"

#include "setup/basRegistry.h"

namespace setup::Cluster {

bool IsClusterNode(platform::Machine& machine) {
    const int32_t result =
        basRegistry::RegKeyOpenResult(machine, platform::HKEY_LOCAL_MACHINE_VALUE, "Cluster");
    if (result != platform::ERROR_SUCCESS_CODE && result != platform::ERROR_FILE_NOT_FOUND_CODE) {
        throw machine.SystemError(result);
    }
    return result == platform::ERROR_SUCCESS_CODE;
}

}  // namespace setup::Cluster
