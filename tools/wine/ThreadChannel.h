#pragma once

#include <memory>

#include "platform/bridge/BridgeChannel.h"

// Each thread of a Wine process talks to the emulated server over a channel
// of its own, made at the first call: to the listener named by the
// environment (MORVANE_BRIDGE "127.0.0.1:PORT", MORVANE_BRIDGE_TOKEN).
// A host hands its thread the channel it serves on instead.
namespace wine_bridge {

// Throws the bridge's "server unavailable" error when there is no server.
bridge::Channel& ThreadChannel();
// Makes channel the thread's own and returns it.
bridge::Channel& AdoptThreadChannel(std::unique_ptr<bridge::Channel> channel);
// Ends the thread's channel.
void DropThreadChannel();

// The environment variable's value, "" when unset.
std::string EnvironmentText(const wchar_t* name);

}  // namespace wine_bridge
