#pragma once

#include <memory>
#include <string>

#include "platform/bridge/BridgeChannel.h"

// Each thread of a Wine process talks to the emulated server over a channel
// of its own, made at the first call: to the listener named by the
// environment (bridge::kAddressVariable, bridge::kTokenVariable). A
// Windows host connects its thread itself and hands it its channel.
namespace wine_bridge {

// The platform's root object (bridge::platform_root) for the call at hand:
// the one the server handed this thread's channel. Throws the bridge's
// "server unavailable" error when there is no server.
std::shared_ptr<bridge::RemoteObject> ServerPlatform();
// Connects this thread to the server named by the environment, handing it
// root (an object, or nothing), and returns the thread's channel.
bridge::Channel& ConnectThread(const bridge::Value& root = bridge::Value());
// Ends the thread's channel.
void DropThreadChannel();

}  // namespace wine_bridge
