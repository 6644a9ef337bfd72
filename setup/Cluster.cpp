#include "setup/Cluster.h"

#include "setup/basRegistry.h"

namespace setup::Cluster {

bool IsClusterNode(platform::Machine& machine) {
    return basRegistry::RegKeyExists(machine, platform::HKEY_LOCAL_MACHINE_VALUE, "Cluster");
}

}  // namespace setup::Cluster
