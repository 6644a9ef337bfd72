#include "platform/Variant.h"

#include <gtest/gtest.h>

#include "platform/ComError.h"

using platform::ComError;
using platform::Variant;

TEST(VariantAppendToEmptyString, IntegersGiveDecimalWithMinusAndNoBlanks) {
    EXPECT_EQ(Variant(6).AppendToEmptyString(), "6");
    EXPECT_EQ(Variant(-1).AppendToEmptyString(), "-1");
    EXPECT_EQ(Variant(0).AppendToEmptyString(), "0");
    EXPECT_EQ(Variant(INT32_MIN).AppendToEmptyString(), "-2147483648");
}

TEST(VariantAppendToEmptyString, EmptyAndNullGiveEmptyText) {
    EXPECT_EQ(Variant().AppendToEmptyString(), "");
    EXPECT_EQ(Variant::Null().AppendToEmptyString(), "");
}

TEST(VariantAppendToEmptyString, StringsStayAndBooleansAreWords) {
    EXPECT_EQ(Variant(" x ").AppendToEmptyString(), " x ");
    EXPECT_EQ(Variant(true).AppendToEmptyString(), "True");
    EXPECT_EQ(Variant(false).AppendToEmptyString(), "False");
}

TEST(VariantAppendToEmptyString, ArrayIsATypeMismatch) {
    try {
        Variant(Variant::Array{Variant("a")}).AppendToEmptyString();
        FAIL() << "an array converted to text";
    } catch (const ComError& error) {
        EXPECT_EQ(error.number(), 13);
        EXPECT_EQ(error.description(), "Type mismatch");
    }
}

TEST(VariantTypes, ConstructorsPickTheIntendedType) {
    // A string literal must not decay to bool.
    EXPECT_TRUE(Variant("text").IsString());
    EXPECT_TRUE(Variant(std::string("text")).IsString());
    EXPECT_TRUE(Variant(5).IsInt32());
    EXPECT_TRUE(Variant(true).IsBool());
    EXPECT_TRUE(Variant().IsEmpty());
    EXPECT_TRUE(Variant::Null().IsNull());
    EXPECT_TRUE(Variant::StringArray({"a", "b"}).IsArray());
}

TEST(VariantTypes, TypedAccessOfAnotherTypeThrows) {
    EXPECT_THROW(Variant(5).AsString(), ComError);
    EXPECT_THROW(Variant("5").AsInt32(), ComError);
    EXPECT_THROW(Variant::Null().AsArray(), ComError);
}

TEST(VariantTypes, EqualityComparesTypeAndValue) {
    EXPECT_EQ(Variant::StringArray({"a", "b"}), Variant::StringArray({"a", "b"}));
    EXPECT_NE(Variant::StringArray({"a", "b"}), Variant::StringArray({"b", "a"}));
    EXPECT_NE(Variant("1"), Variant(1));
    EXPECT_NE(Variant(), Variant::Null());
}

TEST(VariantToInt32, ConvertsNumbersAndNumericTexts) {
    EXPECT_EQ(Variant(66050).ToInt32(), 66050);
    EXPECT_EQ(Variant(" 514 ").ToInt32(), 514);
    EXPECT_EQ(Variant(true).ToInt32(), -1);
    EXPECT_THROW(Variant("abc").ToInt32(), ComError);
    EXPECT_THROW(Variant("").ToInt32(), ComError);
    EXPECT_THROW(Variant::Null().ToInt32(), ComError);
    EXPECT_THROW(Variant("99999999999").ToInt32(), ComError);
}
