#include "platform/EventLog.h"

namespace platform {

const char* EventTypeName(EventType type) {
    switch (type) {
        case EventType::Error:
            return "Error";
        case EventType::Warning:
            return "Warning";
        case EventType::Information:
            return "Information";
    }
    return "Unknown";
}

}  // namespace platform
