#pragma once

#include "platform/Machine.h"

// Server-cluster membership.
namespace setup::Cluster {

// The key HKEY_LOCAL_MACHINE\Cluster exists only where the cluster service
// has loaded its configuration.
bool IsClusterNode(platform::Machine& machine);

}  // namespace setup::Cluster
