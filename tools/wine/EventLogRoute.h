#pragma once

#include "platform/win32/WindowsHeaders.h"

// Wine's event log keeps nothing. A library the host loads reports to the
// emulated machine's Application log instead: its imports of the event
// logging functions are pointed at ones that send each entry to the server.
namespace wine_bridge {

void RouteEventLog(HMODULE library);

}  // namespace wine_bridge
