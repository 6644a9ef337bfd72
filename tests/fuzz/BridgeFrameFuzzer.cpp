// Fuzzes the reading of bridge frames, as they arrive from a socket.
//
// Input: a frame, its 4-byte header and its message.
// Properties:
//  - every frame is read or refused with the bridge's own error ("invalid
//    data", or "disconnected" for a handle of no object of the receiving
//    side), never with another exception, a crash or unbounded recursion;
//  - a message that is read writes as a frame that reads back as the same
//    message, byte for byte;
//  - values that are read write back as the very list they were read from.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/ComError.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/platform/bridge/CodecHarness.h"

namespace {

using nlohmann::json;

void CheckRefusal(const platform::ComError& error, bool valuesRead) {
    const bool invalid = error.number() == bridge::error_number::kInvalidDataPacket;
    const bool unknownHandle = valuesRead && error.number() == bridge::error_number::kDisconnected;
    FUZZ_CHECK(invalid || unknownHandle, "refused as invalid data or as an unknown handle");
}

void CheckMessageWritesBack(const json& message) {
    const std::vector<uint8_t> frame = bridge::EncodeFrame(message);
    const json again = bridge_test::ReadMessage(frame.data(), frame.size());
    FUZZ_CHECK(bridge::EncodeFrame(again) == frame, "a message read writes back unchanged");
}

void CheckValues(const json& message) {
    bridge_test::StubObjectTable objects(3);
    try {
        const std::vector<bridge::Value> values = bridge_test::ReadValues(message, objects);
        if (message.contains("a"))
            FUZZ_CHECK(bridge::EncodeValues(values, objects) == message["a"],
                       "values read write back as the list they were read from");
    } catch (const platform::ComError& error) {
        CheckRefusal(error, true);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < bridge::kFrameHeaderSize)
        return 0;
    json message;
    try {
        message = bridge_test::ReadMessage(data, size);
    } catch (const platform::ComError& error) {
        CheckRefusal(error, false);
        return 0;
    }
    CheckMessageWritesBack(message);
    CheckValues(message);
    return 0;
}
