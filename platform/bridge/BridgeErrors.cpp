#include "platform/bridge/BridgeErrors.h"

namespace bridge {

namespace {
[[noreturn]] void Throw(int32_t number, const char* text, const std::string& detail) {
    throw platform::ComError(number, std::string(text) + " (bridge: " + detail + ")");
}
}  // namespace

void ThrowServerUnavailable(const std::string& detail) {
    Throw(error_number::kServerUnavailable, "The RPC server is unavailable.", detail);
}

void ThrowDisconnected(const std::string& detail) {
    Throw(error_number::kDisconnected, "The object invoked has disconnected from its clients.",
          detail);
}

void ThrowInvalidData(const std::string& detail) {
    Throw(error_number::kInvalidDataPacket,
          "The data packet with the marshalled parameter data is incorrect.", detail);
}

void ThrowTimeout(const std::string& detail) {
    Throw(error_number::kTimeout, "This operation returned because the timeout period expired.",
          detail);
}

}  // namespace bridge
