#pragma once

#include "platform/Machine.h"

// Server-cluster membership.
namespace setup::Cluster {

// The key HKEY_LOCAL_MACHINE\Cluster exists only where the cluster service
// has loaded its configuration: a key that opens makes a node, an absent
// one (ERROR_FILE_NOT_FOUND, the answer of every machine that is no node)
// does not. Any other failure leaves the question open and throws its
// platform::ComError; the caller takes the machine for no node.
bool IsClusterNode(platform::Machine& machine);

}  // namespace setup::Cluster
