#pragma once

#include <memory>
#include <string>

#include "platform/Activation.h"
#include "platform/bridge/BridgeValue.h"
#include "platform/emulated/activation/Registry.h"
#include "platform/emulated/hosting/WindowsHost.h"

// An instance living in a Windows host, as the activation layer hands it
// out: its automation interface reaches the instance's own, the store's
// event interfaces go to the host's DeliverEvent, and each answers only
// when the instance has that interface.
namespace platform::emulated {

std::shared_ptr<ComObject> NewHostedObject(std::shared_ptr<WindowsHost> host,
                                           const ClassEntry& entry,
                                           std::shared_ptr<bridge::Object> instance,
                                           int32_t interfaces);

}  // namespace platform::emulated
