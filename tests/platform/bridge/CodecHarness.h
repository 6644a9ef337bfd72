#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/bridge/BridgeCodec.h"
#include "platform/bridge/BridgeErrors.h"

// The codec without a channel: a handle table that needs no peer, and a
// frame read the way a serving channel reads one.
namespace bridge_test {

// An object of the peer's, as the table stands in for it.
struct StandIn : bridge::Object {
    StandIn(uint32_t handle, std::string className)
        : handle(handle), className(std::move(className)) {}
    uint32_t handle;
    std::string className;
};

// This side's objects have the handles 1..n. An object is written in the
// form it is read in (a stand-in as the sender's object, one of this side's
// as the receiver's), so a value read from a frame writes back unchanged.
class StubObjectTable : public bridge::ObjectTable {
  public:
    explicit StubObjectTable(size_t ownObjects) {
        for (size_t i = 0; i < ownObjects; ++i)
            own.push_back(std::make_shared<bridge::Object>());
    }
    nlohmann::json EncodeObject(const std::shared_ptr<bridge::Object>& object) override {
        if (const auto* standIn = dynamic_cast<const StandIn*>(object.get()))
            return nlohmann::json::array({static_cast<int>(bridge::ValueTag::SendersObject),
                                          standIn->handle, standIn->className});
        const auto found = std::find(own.begin(), own.end(), object);
        if (found == own.end())
            bridge::ThrowDisconnected("an object the table does not hold");
        return nlohmann::json::array(
            {static_cast<int>(bridge::ValueTag::ReceiversObject), found - own.begin() + 1});
    }
    std::shared_ptr<bridge::Object> SendersObject(uint32_t handle, std::string className) override {
        return std::make_shared<StandIn>(handle, std::move(className));
    }
    std::shared_ptr<bridge::Object> ReceiversObject(uint32_t handle) override {
        if (handle == 0 || handle > own.size())
            bridge::ThrowDisconnected("handle " + std::to_string(handle));
        return own[handle - 1];
    }

    std::vector<std::shared_ptr<bridge::Object>> own;
};

// A frame read as a serving channel reads it: the message of the length
// its header announces (at most what the frame holds, which is at least
// a header) ...
inline nlohmann::json ReadMessage(const uint8_t* frame, size_t size) {
    const uint32_t length = bridge::FrameLength(frame);
    const size_t held = size - bridge::kFrameHeaderSize;
    return bridge::DecodeMessage(frame + bridge::kFrameHeaderSize, std::min<size_t>(length, held));
}

// ... then its number and its values where it has them.
inline std::vector<bridge::Value> ReadValues(const nlohmann::json& message,
                                             bridge::ObjectTable& objects) {
    if (message.contains("i"))
        bridge::IntegerMember(message, "i");
    if (!message.contains("a"))
        return {};
    return bridge::DecodeValues(bridge::ArrayMember(message, "a"), objects);
}

inline std::vector<bridge::Value> ReadFrame(const std::vector<uint8_t>& frame,
                                            bridge::ObjectTable& objects) {
    return ReadValues(ReadMessage(frame.data(), frame.size()), objects);
}

}  // namespace bridge_test
