#pragma once

#include <cstdint>
#include <string>

#include "platform/ComError.h"

// The failures of the bridge itself, as the platform reports the same
// conditions of its own remote calls: a peer that is gone, an object that
// is no longer there, a message that cannot be read, a peer that stays
// silent too long.
namespace bridge {

namespace error_number {
// RPC_S_SERVER_UNAVAILABLE as an HRESULT.
constexpr int32_t kServerUnavailable = platform::hresult::FromUnsigned(0x800706BA);
constexpr int32_t kDisconnected = platform::hresult::FromUnsigned(0x80010108);
constexpr int32_t kInvalidDataPacket = platform::hresult::FromUnsigned(0x80010009);
constexpr int32_t kTimeout = platform::hresult::FromUnsigned(0x8001011F);
constexpr int32_t kAccessDenied = platform::hresult::FromUnsigned(0x80070005);
}  // namespace error_number

// The peer closed the connection or cannot be reached.
[[noreturn]] void ThrowServerUnavailable(const std::string& detail);
// A handle that names no live object of the receiving side.
[[noreturn]] void ThrowDisconnected(const std::string& detail);
// A frame or message that does not follow the protocol.
[[noreturn]] void ThrowInvalidData(const std::string& detail);
// No word from the peer within the wait's limit.
[[noreturn]] void ThrowTimeout(const std::string& detail);

}  // namespace bridge
