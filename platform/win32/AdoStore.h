#pragma once

#include "platform/win32/WindowsHeaders.h"

#include <memory>

#include "platform/StoreAdo.h"

namespace platform::win32 {

// The store's event information object handed to a sink, seen through the
// store port. The object keeps its own reference to the interface.
std::unique_ptr<store::EventInfo> WrapEventInfo(IUnknown* eventInfo);

// The interface behind an event information object made by WrapEventInfo;
// nullptr for any other implementation of the port.
IUnknown* EventInfoObject(store::EventInfo& eventInfo);

}  // namespace platform::win32
