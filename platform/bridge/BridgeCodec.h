#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "platform/bridge/BridgeValue.h"

// The bridge's wire form. A frame is a 4-byte little-endian length and a
// message of that many bytes in CBOR. A message is a map whose "k" says
// what it is: "h" introduction, "q" request, "r" reply, "x" release of
// handles, "a" the end of a connection for a stated reason. Any message may
// carry releases of the receiver's handles in "x" (a list), taken before
// the message itself. A value is an
// array whose first element says its kind (ValueTag). Whatever does not
// follow this form throws the bridge's "invalid data" error.
namespace bridge {

// The largest message a peer may send.
constexpr uint32_t kMaxMessageSize = 64u << 20;
constexpr size_t kFrameHeaderSize = 4;
// Values nest at most this deep, and a message's maps and arrays two levels
// more (the message itself and its list of values); deeper input is
// refused before it is read any further.
constexpr int kMaxValueNesting = 32;
constexpr size_t kMaxMessageNesting = kMaxValueNesting + 2;

enum class ValueTag : int {
    Empty = 0,
    Null = 1,
    Int32 = 2,
    Bool = 3,
    String = 4,
    Array = 5,
    SendersObject = 6,    // [6, handle, class name]: an object of the sender's
    ReceiversObject = 7,  // [7, handle]: an object of the receiver's, handed back
    Missing = 8,
    Error = 9,  // [9, number, description]
};

// How objects are written and read: the channel's handle tables.
class ObjectTable {
  public:
    virtual ~ObjectTable() = default;
    // The wire form of an object (tag 6 or 7).
    virtual nlohmann::json EncodeObject(const std::shared_ptr<Object>& object) = 0;
    // A stand-in for the sender's object.
    virtual std::shared_ptr<Object> SendersObject(uint32_t handle, std::string className) = 0;
    // One of this side's objects; an unknown handle throws "disconnected".
    virtual std::shared_ptr<Object> ReceiversObject(uint32_t handle) = 0;
};

std::vector<uint8_t> EncodeFrame(const nlohmann::json& message);
// The length a frame header announces; too large throws.
uint32_t FrameLength(const uint8_t* header);
// The message of a frame's body; must be a map with a text "k".
nlohmann::json DecodeMessage(const uint8_t* data, size_t size);

nlohmann::json EncodeValue(const Value& value, ObjectTable& objects);
Value DecodeValue(const nlohmann::json& encoded, ObjectTable& objects);
nlohmann::json EncodeValues(const std::vector<Value>& values, ObjectTable& objects);
std::vector<Value> DecodeValues(const nlohmann::json& encoded, ObjectTable& objects);

// Typed reads of a message's members; a missing or mistyped member throws.
const std::string& TextMember(const nlohmann::json& message, const char* name);
int64_t IntegerMember(const nlohmann::json& message, const char* name);
const nlohmann::json& ArrayMember(const nlohmann::json& message, const char* name);

}  // namespace bridge
