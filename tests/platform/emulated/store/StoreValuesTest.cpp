#include "platform/emulated/store/StoreValues.h"

#include <gtest/gtest.h>

#include "platform/emulated/db/ServerDb.h"

namespace {

using platform::Variant;
using platform::emulated::DecodeValue;
using platform::emulated::EncodeValue;
using platform::emulated::PropertyList;
using platform::emulated::ServerError;

TEST(StoreValueText, EveryKindOfValueComesBackUnchanged) {
    std::vector<Variant> values = {
        Variant("plain"),
        Variant(""),
        Variant("with : colons ; and s5:tags\nand lines"),
        Variant("Posteingang für Müller"),
        Variant(int32_t{0}),
        Variant(int32_t{-2147483647 - 1}),
        Variant(int32_t{2147483647}),
        Variant(true),
        Variant(false),
        Variant::Null(),
        Variant::StringArray({}),
        Variant::StringArray({"SCL=6", "", "  "}),
        Variant(Variant::Array{Variant(int32_t{1}), Variant::StringArray({"nested"}), Variant()}),
    };
    for (const Variant& value : values)
        EXPECT_EQ(DecodeValue(EncodeValue(value)), value) << platform::Describe(value);
}

TEST(StoreValueText, DamagedTextIsRefusedNotMisread) {
    for (const char* text : {"", "x", "s5:abc", "s-1:", "i12", "i1x;", "a3:s1:a", "b1extra",
                             "s99999999999999999999:a"})
        EXPECT_THROW(DecodeValue(text), ServerError) << text;
}

TEST(StorePropertyList, NamesIgnoreCaseAndKeepFirstOrder) {
    PropertyList list;
    list.Set("DAV:contentclass", Variant("a"));
    list.Set("urn:x", Variant(int32_t{1}));
    list.Set("DAV:ContentClass", Variant("b"));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list.entries()[0].first, "DAV:contentclass");
    EXPECT_EQ(list.Get("dav:CONTENTCLASS"), Variant("b"));
    EXPECT_TRUE(list.Has("URN:X"));
    list.Set("urn:x", Variant());
    EXPECT_FALSE(list.Has("urn:x"));
    EXPECT_EQ(list.size(), 1u);
    list.Set("never", Variant());
    EXPECT_EQ(list.size(), 1u);
    EXPECT_TRUE(list.Get("missing").IsEmpty());
}

}  // namespace
