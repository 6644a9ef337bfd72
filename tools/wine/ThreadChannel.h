#pragma once

#include <memory>
#include <string>

#include "platform/bridge/BridgeChannel.h"

// Each thread of a Wine process talks to the emulated server over a channel
// of its own, made at the first call: to the listener named by the
// environment (bridge::kAddressVariable, bridge::kTokenVariable). A
// Windows host connects its thread itself and hands it its channel; an
// apartment of a COM+ application's host takes the connection it serves,
// so that the calls a library makes there go back to the caller whose
// event or call is at hand.
namespace wine_bridge {

// The environment variable's value; "" when it is unset or longer than
// 1,023 characters.
std::string EnvironmentText(const char* name);

// The platform's root object (bridge::platform_root) for the call at hand:
// the one the server handed this thread's channel. Throws the bridge's
// "server unavailable" error when there is no server.
std::shared_ptr<bridge::RemoteObject> ServerPlatform();
// Connects this thread to the server named by the environment, handing it
// root (an object, or nothing), and returns the thread's channel.
bridge::Channel& ConnectThread(const bridge::Value& root = bridge::Value());
// Makes channel this thread's, in place of the one it had, and returns it.
bridge::Channel& AdoptThreadChannel(std::unique_ptr<bridge::Channel> channel);
// Ends the thread's channel.
void DropThreadChannel();

}  // namespace wine_bridge
