#include "platform/Text.h"

#include <gtest/gtest.h>

namespace text = platform::text;

TEST(TextCompare, CaseInsensitiveEqualityIgnoresOnlyLetterCase) {
    EXPECT_TRUE(text::EqualsNoCase("<scl VALUE>", "<SCL value>"));
    EXPECT_FALSE(text::EqualsNoCase("SCL=6", " SCL=6"));
    EXPECT_FALSE(text::EqualsNoCase("abc", "abcd"));
    EXPECT_TRUE(text::StartsWithNoCase("systemmailbox{1234}", "SystemMailbox{"));
    EXPECT_FALSE(text::StartsWithNoCase("System", "SystemMailbox{"));
    EXPECT_TRUE(text::EndsWithNoCase("http://x/mbx/a/INBOX", "inbox"));
}

TEST(TextTrim, RemovesBlanksOnlyAtBothEnds) {
    EXPECT_EQ(text::Trim("  a b  "), "a b");
    EXPECT_EQ(text::Trim("   "), "");
    EXPECT_EQ(text::Trim("\ta\t"), "\ta\t");
}

TEST(TextFind, PositionsAreOneBasedAndZeroMeansNotFound) {
    EXPECT_EQ(text::FindFirst("a / b / c", " / "), 2u);
    EXPECT_EQ(text::FindFirst("a / b / c", " / ", 3), 6u);
    EXPECT_EQ(text::FindFirst("abc", "x"), 0u);
    EXPECT_EQ(text::FindFirstNoCase("CN=a,cn=b", ",CN="), 5u);
    EXPECT_EQ(text::FindFirstNoCase("abc", "X"), 0u);
    EXPECT_EQ(text::FindLast("a / b / c", " / "), 6u);
    EXPECT_EQ(text::FindLast("/CN=SERVERS/CN=EX1", "CN="), 13u);
    EXPECT_EQ(text::FindLast("abc", "x"), 0u);
    EXPECT_EQ(text::FindLast("a]b]c", "]", 3), 2u);
    EXPECT_EQ(text::FindLast("", "]"), 0u);
}

TEST(TextSlices, LeftMidRightClampToTheText) {
    EXPECT_EQ(text::Left("abc", 2), "ab");
    EXPECT_EQ(text::Left("abc", 9), "abc");
    EXPECT_EQ(text::Mid("abcdef", 4), "def");
    EXPECT_EQ(text::Mid("abc", 9), "");
    EXPECT_EQ(text::Right("http://x/Inbox", 5), "Inbox");
    EXPECT_EQ(text::Right("ab", 5), "ab");
    EXPECT_EQ(text::ToUpper("cn=Ex1"), "CN=EX1");
    // ASCII text alone: only a to z change, the characters beside them not.
    EXPECT_EQ(text::ToUpper("`az{@AZ[ 09~"), "`AZ{@AZ[ 09~");
    // Unicode letters as the platform maps them, one for one; bytes that
    // are no UTF-8 character stay.
    EXPECT_EQ(text::ToUpper("Réserve / cn=ωmega"), "RÉSERVE / CN=ΩMEGA");
    EXPECT_EQ(text::ToUpper("straße"), "STRAßE");
    EXPECT_EQ(text::ToUpper(std::string("a\xC3\0b\xFF", 5)), std::string("A\xC3\0B\xFF", 5));
    EXPECT_EQ(text::ToLower("EX1"), "ex1");
}
