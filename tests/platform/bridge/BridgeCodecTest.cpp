#include <gtest/gtest.h>

#include <limits>

#include "platform/ComError.h"
#include "tests/platform/bridge/CodecHarness.h"

using bridge::Value;
using bridge::ValueTag;
using bridge_test::ReadFrame;
using bridge_test::StandIn;
using bridge_test::StubObjectTable;
using nlohmann::json;
using platform::ComError;
using platform::Variant;

namespace {

constexpr int32_t kInvalidData = bridge::error_number::kInvalidDataPacket;
constexpr int32_t kDisconnected = bridge::error_number::kDisconnected;

std::vector<uint8_t> Request(json values) {
    return bridge::EncodeFrame({{"k", "q"}, {"i", 1}, {"o", "x"}, {"a", std::move(values)}});
}

std::vector<uint8_t> Header(uint32_t length) {
    std::vector<uint8_t> header(bridge::kFrameHeaderSize);
    for (size_t i = 0; i < header.size(); ++i)
        header[i] = static_cast<uint8_t>(length >> (8 * i));
    return header;
}

// The frame with its last byte missing; the header still announces it.
std::vector<uint8_t> Truncated(std::vector<uint8_t> frame) {
    frame.pop_back();
    return frame;
}

// A message that nests `nesting` deep (its own map included): a member
// "n" of arrays in arrays, written byte by byte, as the library's writer
// would recurse as deep as the frame nests.
std::vector<uint8_t> NestedFrame(size_t nesting) {
    std::vector<uint8_t> body{0xA2, 0x61, 'k', 0x61, 'q', 0x61, 'n'};
    body.insert(body.end(), nesting - 2, 0x81);  // an array of one element
    body.push_back(0x80);                        // the empty innermost array
    std::vector<uint8_t> frame = Header(static_cast<uint32_t>(body.size()));
    frame.insert(frame.end(), body.begin(), body.end());
    return frame;
}

struct RoundTripRow {
    const char* what;
    Value value;
    ValueTag tag;
};

TEST(BridgeCodec, ValuesOfEveryKindCrossAFrameUnchanged) {
    StubObjectTable objects(2);
    const std::vector<RoundTripRow> rows{
        {"empty", Value(), ValueTag::Empty},
        {"null", Value(Variant::Null()), ValueTag::Null},
        {"smallest integer", Value(Variant(std::numeric_limits<int32_t>::min())), ValueTag::Int32},
        {"largest integer", Value(Variant(std::numeric_limits<int32_t>::max())), ValueTag::Int32},
        {"boolean", Value(Variant(false)), ValueTag::Bool},
        {"text", Value(Variant("Réserve \"SCL\"")), ValueTag::String},
        {"empty text", Value(Variant("")), ValueTag::String},
        {"nested array",
         Value(Variant(Variant::Array{Variant(Variant::Array{}), Variant("SCL=6"), Variant(7),
                                      Variant::Null()})),
         ValueTag::Array},
        {"sender's object", Value::OfObject(std::make_shared<StandIn>(4711, "Recordset")),
         ValueTag::SendersObject},
        {"receiver's object", Value::OfObject(objects.own[1]), ValueTag::ReceiversObject},
        {"missing argument", Value::MissingArgument(), ValueTag::Missing},
        {"error", Value::OfError(-2147217895, "Not found"), ValueTag::Error},
    };
    for (const RoundTripRow& row : rows) {
        const json encoded = bridge::EncodeValue(row.value, objects);
        EXPECT_EQ(encoded.at(0), static_cast<int>(row.tag)) << row.what;
        const std::vector<Value> back = ReadFrame(Request(json::array({encoded})), objects);
        ASSERT_EQ(back.size(), 1u) << row.what;
        EXPECT_EQ(back[0].kind, row.value.kind) << row.what;
        EXPECT_EQ(back[0].variant, row.value.variant) << row.what;
        EXPECT_EQ(back[0].errorNumber, row.value.errorNumber) << row.what;
        EXPECT_EQ(back[0].errorDescription, row.value.errorDescription) << row.what;
        if (row.tag == ValueTag::SendersObject) {
            const auto* standIn = dynamic_cast<const StandIn*>(back[0].object.get());
            ASSERT_NE(standIn, nullptr) << row.what;
            EXPECT_EQ(standIn->handle, 4711u);
            EXPECT_EQ(standIn->className, "Recordset");
        } else {
            EXPECT_EQ(back[0].object, row.value.object) << row.what;
        }
    }
}

struct FrameRow {
    const char* what;
    std::vector<uint8_t> frame;
    int32_t error;  // 0: the frame is read
};

// Every frame is read or refused with the bridge's own error, never with
// the JSON library's exception and never by a crash.
TEST(BridgeCodec, FramesAreReadOrRefusedAsInvalidData) {
    static_assert(300'007 < bridge::kMaxMessageSize, "the deep frame is refused for its depth");
    const uint64_t beyondInt64 = uint64_t{std::numeric_limits<int64_t>::max()} + 1;
    const std::vector<FrameRow> rows{
        {"not CBOR", {0x02, 0x00, 0x00, 0x00, 0xFF, 0xFF}, kInvalidData},
        {"not a map", bridge::EncodeFrame(json::array({1})), kInvalidData},
        {"no \"k\"", bridge::EncodeFrame({{"i", 1}}), kInvalidData},
        {"a \"k\" that is a number", bridge::EncodeFrame({{"k", 1}}), kInvalidData},
        {"truncated", Truncated(Request(json::array({{4, "text"}}))), kInvalidData},
        {"an empty frame", Header(0), kInvalidData},
        {"a length over the limit", Header(bridge::kMaxMessageSize + 1), kInvalidData},
        {"a request number beyond 64-bit signed",
         bridge::EncodeFrame({{"k", "q"}, {"i", beyondInt64}}), kInvalidData},
        {"values that are not a list", bridge::EncodeFrame({{"k", "q"}, {"a", 5}}), kInvalidData},
        {"a kind that is text", Request(json::array({{"2", 5}})), kInvalidData},
        {"an integer that is text", Request(json::array({{2, "5"}})), kInvalidData},
        {"an integer beyond 32 bits", Request(json::array({{2, 2147483648u}})), kInvalidData},
        {"a boolean that is a number", Request(json::array({{3, 1}})), kInvalidData},
        {"a handle that is text", Request(json::array({{7, "1"}})), kInvalidData},
        {"a class name that is a number", Request(json::array({{6, 1, 2}})), kInvalidData},
        {"an error number that is text", Request(json::array({{9, "1", "x"}})), kInvalidData},
        {"a kind of no value", Request(json::array({{99}})), kInvalidData},
        {"a value of the wrong length", Request(json::array({{1, 0}})), kInvalidData},
        {"an array holding a missing argument", Request(json::array({{5, {{8}}}})), kInvalidData},
        {"a handle of no object", Request(json::array({{7, 9}})), kDisconnected},
        {"nested as deep as allowed", NestedFrame(bridge::kMaxMessageNesting), 0},
        {"nested one level deeper", NestedFrame(bridge::kMaxMessageNesting + 1), kInvalidData},
        {"nested 300,000 deep", NestedFrame(300'000), kInvalidData},
    };
    StubObjectTable objects(1);
    for (const FrameRow& row : rows) {
        try {
            ReadFrame(row.frame, objects);
            EXPECT_EQ(row.error, 0) << row.what << ": read";
        } catch (const ComError& error) {
            EXPECT_EQ(error.number(), row.error) << row.what << ": " << error.what();
        } catch (const json::exception& error) {
            ADD_FAILURE() << row.what << ": the JSON library's own " << error.what();
        }
    }
}

}  // namespace
