#include "platform/bridge/BridgeCodec.h"

#include <limits>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/bridge/BridgeErrors.h"

namespace bridge {

using nlohmann::json;

namespace {

// Builds a message from the reader's events, one level at a time and never
// recursing, and stops the reader at a container that would nest deeper
// than kMaxMessageNesting, before it recurses into it.
class DepthLimitedBuilder : public json::json_sax_t {
  public:
    explicit DepthLimitedBuilder(json& root) : root_(root) {}
    bool null() override { return Place(nullptr); }
    bool boolean(bool value) override { return Place(value); }
    bool number_integer(number_integer_t value) override { return Place(value); }
    bool number_unsigned(number_unsigned_t value) override { return Place(value); }
    bool number_float(number_float_t value, const string_t&) override { return Place(value); }
    bool string(string_t& value) override { return Place(std::move(value)); }
    bool binary(binary_t& value) override { return Place(json::binary(std::move(value))); }
    // The announced size is the peer's word only: nothing is reserved for it.
    bool start_object(std::size_t) override { return Open(json::object()); }
    bool key(string_t& value) override {
        key_ = std::move(value);
        return true;
    }
    bool end_object() override { return Close(); }
    bool start_array(std::size_t) override { return Open(json::array()); }
    bool end_array() override { return Close(); }
    bool parse_error(std::size_t, const std::string&, const json::exception&) override {
        return false;
    }

  private:
    // Puts a value where the reader stands: the root, the end of the open
    // array, or the open map's member of the last key.
    json& Put(json value) {
        if (open_.empty())
            return root_ = std::move(value);
        json& container = *open_.back();
        if (container.is_array()) {
            container.push_back(std::move(value));
            return container.back();
        }
        return container[key_] = std::move(value);
    }
    template <typename T>
    bool Place(T&& value) {
        Put(json(std::forward<T>(value)));
        return true;
    }
    // Only the last element of an open array can be open itself, so the
    // pointers stay valid while later elements are appended.
    bool Open(json container) {
        if (open_.size() >= kMaxMessageNesting)
            return false;
        open_.push_back(&Put(std::move(container)));
        return true;
    }
    bool Close() {
        open_.pop_back();
        return true;
    }

    json& root_;
    std::vector<json*> open_;
    std::string key_;
};

int32_t Int32Of(const json& value) {
    if (value.is_number_unsigned() && value.get<uint64_t>() <= INT32_MAX)
        return static_cast<int32_t>(value.get<uint64_t>());
    if (value.is_number_integer() && !value.is_number_unsigned() &&
        value.get<int64_t>() >= std::numeric_limits<int32_t>::min() &&
        value.get<int64_t>() <= std::numeric_limits<int32_t>::max())
        return static_cast<int32_t>(value.get<int64_t>());
    ThrowInvalidData("a 32-bit integer was expected");
}

uint32_t HandleOf(const json& value) {
    if (!value.is_number_unsigned() || value.get<uint64_t>() > UINT32_MAX)
        ThrowInvalidData("a handle was expected");
    return static_cast<uint32_t>(value.get<uint64_t>());
}

const std::string& TextOf(const json& value) {
    if (!value.is_string())
        ThrowInvalidData("a text was expected");
    return value.get_ref<const std::string&>();
}

json EncodeVariant(const platform::Variant& value) {
    using Type = platform::Variant::Type;
    switch (value.type()) {
        case Type::Empty:
            return json::array({static_cast<int>(ValueTag::Empty)});
        case Type::Null:
            return json::array({static_cast<int>(ValueTag::Null)});
        case Type::Int32:
            return json::array({static_cast<int>(ValueTag::Int32), value.AsInt32()});
        case Type::Bool:
            return json::array({static_cast<int>(ValueTag::Bool), value.AsBool()});
        case Type::String:
            return json::array({static_cast<int>(ValueTag::String), value.AsString()});
        case Type::Array: {
            json items = json::array();
            for (const platform::Variant& item : value.AsArray())
                items.push_back(EncodeVariant(item));
            return json::array({static_cast<int>(ValueTag::Array), std::move(items)});
        }
    }
    ThrowInvalidData("a value of unknown type");
}

Value Decode(const json& encoded, ObjectTable& objects, int depth);

platform::Variant DecodeArray(const json& items, ObjectTable& objects, int depth) {
    if (!items.is_array())
        ThrowInvalidData("an array value without items");
    platform::Variant::Array array;
    array.reserve(items.size());
    for (const json& item : items) {
        Value value = Decode(item, objects, depth + 1);
        if (value.kind != Value::Kind::Variant)
            ThrowInvalidData("an array holds an object, a missing argument or an error");
        array.push_back(std::move(value.variant));
    }
    return platform::Variant(std::move(array));
}

void RequireSize(const json& encoded, size_t size) {
    if (encoded.size() != size)
        ThrowInvalidData("a value of the wrong length");
}

Value Decode(const json& encoded, ObjectTable& objects, int depth) {
    if (depth > kMaxValueNesting)
        ThrowInvalidData("values nest too deep");
    if (!encoded.is_array() || encoded.empty() || !encoded[0].is_number_unsigned())
        ThrowInvalidData("a value without its kind");
    const uint64_t tag = encoded[0].get<uint64_t>();
    switch (static_cast<ValueTag>(tag)) {
        case ValueTag::Empty:
            RequireSize(encoded, 1);
            return Value();
        case ValueTag::Null:
            RequireSize(encoded, 1);
            return Value(platform::Variant::Null());
        case ValueTag::Int32:
            RequireSize(encoded, 2);
            return Value(platform::Variant(Int32Of(encoded[1])));
        case ValueTag::Bool:
            RequireSize(encoded, 2);
            if (!encoded[1].is_boolean())
                ThrowInvalidData("a boolean was expected");
            return Value(platform::Variant(encoded[1].get<bool>()));
        case ValueTag::String:
            RequireSize(encoded, 2);
            return Value(platform::Variant(TextOf(encoded[1])));
        case ValueTag::Array:
            RequireSize(encoded, 2);
            return Value(DecodeArray(encoded[1], objects, depth));
        case ValueTag::SendersObject:
            RequireSize(encoded, 3);
            return Value::OfObject(objects.SendersObject(HandleOf(encoded[1]), TextOf(encoded[2])));
        case ValueTag::ReceiversObject:
            RequireSize(encoded, 2);
            return Value::OfObject(objects.ReceiversObject(HandleOf(encoded[1])));
        case ValueTag::Missing:
            RequireSize(encoded, 1);
            return Value::MissingArgument();
        case ValueTag::Error:
            RequireSize(encoded, 3);
            return Value::OfError(Int32Of(encoded[1]), TextOf(encoded[2]));
    }
    ThrowInvalidData("a value of unknown kind " + std::to_string(tag));
}

}  // namespace

std::vector<uint8_t> EncodeFrame(const json& message) {
    std::vector<uint8_t> frame(kFrameHeaderSize);
    json::to_cbor(message, frame);
    const size_t length = frame.size() - kFrameHeaderSize;
    if (length > kMaxMessageSize)
        ThrowInvalidData("a message of " + std::to_string(length) + " bytes is too large");
    for (size_t i = 0; i < kFrameHeaderSize; ++i)
        frame[i] = static_cast<uint8_t>(length >> (8 * i));
    return frame;
}

uint32_t FrameLength(const uint8_t* header) {
    uint32_t length = 0;
    for (size_t i = 0; i < kFrameHeaderSize; ++i)
        length |= static_cast<uint32_t>(header[i]) << (8 * i);
    if (length == 0 || length > kMaxMessageSize)
        ThrowInvalidData("a frame announces " + std::to_string(length) + " bytes");
    return length;
}

json DecodeMessage(const uint8_t* data, size_t size) {
    json message;
    DepthLimitedBuilder builder(message);
    bool read = false;
    try {
        read = json::sax_parse(data, data + size, &builder, json::input_format_t::cbor, true);
    } catch (const json::exception&) {
        read = false;
    }
    if (!read)
        ThrowInvalidData("a frame that is not CBOR or nests too deep");
    if (!message.is_object())
        ThrowInvalidData("a message that is not a map");
    TextMember(message, "k");
    return message;
}

json EncodeValue(const Value& value, ObjectTable& objects) {
    switch (value.kind) {
        case Value::Kind::Variant:
            return EncodeVariant(value.variant);
        case Value::Kind::Object:
            return objects.EncodeObject(value.AsObject());
        case Value::Kind::Missing:
            return json::array({static_cast<int>(ValueTag::Missing)});
        case Value::Kind::Error:
            return json::array(
                {static_cast<int>(ValueTag::Error), value.errorNumber, value.errorDescription});
    }
    ThrowInvalidData("a value of unknown kind");
}

Value DecodeValue(const json& encoded, ObjectTable& objects) {
    return Decode(encoded, objects, 0);
}

json EncodeValues(const std::vector<Value>& values, ObjectTable& objects) {
    json encoded = json::array();
    for (const Value& value : values)
        encoded.push_back(EncodeValue(value, objects));
    return encoded;
}

std::vector<Value> DecodeValues(const json& encoded, ObjectTable& objects) {
    if (!encoded.is_array())
        ThrowInvalidData("a list of values was expected");
    std::vector<Value> values;
    values.reserve(encoded.size());
    for (const json& item : encoded)
        values.push_back(DecodeValue(item, objects));
    return values;
}

const std::string& TextMember(const json& message, const char* name) {
    auto found = message.find(name);
    if (found == message.end())
        ThrowInvalidData(std::string("a message without \"") + name + "\"");
    return TextOf(*found);
}

int64_t IntegerMember(const json& message, const char* name) {
    auto found = message.find(name);
    if (found == message.end() || !found->is_number_integer() ||
        (found->is_number_unsigned() && found->get<uint64_t>() > INT64_MAX))
        ThrowInvalidData(std::string("a message without a number \"") + name + "\"");
    return found->get<int64_t>();
}

const json& ArrayMember(const json& message, const char* name) {
    auto found = message.find(name);
    if (found == message.end() || !found->is_array())
        ThrowInvalidData(std::string("a message without a list \"") + name + "\"");
    return *found;
}

}  // namespace bridge
