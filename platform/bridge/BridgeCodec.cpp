#include "platform/bridge/BridgeCodec.h"

#include <limits>

#include <nlohmann/json.hpp>

#include "platform/bridge/BridgeErrors.h"

namespace bridge {

using nlohmann::json;

namespace {

// Arrays and maps nest at most this deep; deeper input is refused before
// the reader recurses into it.
constexpr int kMaxDepth = 32;

// Builds the message as the library's own reader does, but stops at a
// nesting deeper than kMaxDepth instead of recursing on.
class DepthLimitedReader : public nlohmann::json_sax<json> {
  public:
    explicit DepthLimitedReader(json& result) : builder_(result, false) {}
    bool null() override { return builder_.null(); }
    bool boolean(bool value) override { return builder_.boolean(value); }
    bool number_integer(number_integer_t value) override { return builder_.number_integer(value); }
    bool number_unsigned(number_unsigned_t value) override {
        return builder_.number_unsigned(value);
    }
    bool number_float(number_float_t value, const string_t& text) override {
        return builder_.number_float(value, text);
    }
    bool string(string_t& value) override { return builder_.string(value); }
    bool binary(binary_t& value) override { return builder_.binary(value); }
    bool start_object(std::size_t size) override {
        return ++depth_ <= kMaxDepth + 2 && builder_.start_object(size);
    }
    bool key(string_t& value) override { return builder_.key(value); }
    bool end_object() override {
        --depth_;
        return builder_.end_object();
    }
    bool start_array(std::size_t size) override {
        return ++depth_ <= kMaxDepth + 2 && builder_.start_array(size);
    }
    bool end_array() override {
        --depth_;
        return builder_.end_array();
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
        return false;
    }

  private:
    nlohmann::detail::json_sax_dom_parser<json> builder_;
    int depth_ = 0;
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
    if (depth > kMaxDepth)
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
    DepthLimitedReader reader(message);
    bool read = false;
    try {
        read = json::sax_parse(data, data + size, &reader, nlohmann::detail::input_format_t::cbor,
                               true);
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
    if (found == message.end() || !found->is_number_integer())
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
