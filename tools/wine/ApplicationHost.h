#pragma once

#include <cstdint>

#include "platform/bridge/BridgeValue.h"

// The host of a COM+ server application: one process for every caller of
// the emulated server. It listens on 127.0.0.1 for the callers' threads
// (each connects once, introducing itself with the host's token) and
// serves each connection on a single-threaded apartment of its pool
// (ApartmentPool.h), so that concurrent events run concurrently and a
// library's calls into the platform go back on the connection of the
// event at hand. It ends when it has been idle for the application's time
// (HostLife.h) or when its record no longer names it (the application was
// shut down or removed, or its server is gone).
namespace wine_bridge {

// The host's root for one connection (WindowsHost.cpp); listenerPort is 0
// in a host of one caller.
bridge::Value HostRoot(uint16_t listenerPort);

// Whether this host was started for an application
// (bridge::host_root::kApplicationVariable).
bool IsApplicationHost();
// Serves every caller until the host ends; its exit status.
int ServeApplication();

}  // namespace wine_bridge
