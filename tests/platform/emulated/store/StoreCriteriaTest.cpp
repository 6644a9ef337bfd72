#include "platform/emulated/store/StoreCriteria.h"

#include <gtest/gtest.h>

#include <map>

#include "platform/ComError.h"
#include "platform/Text.h"

namespace {

using platform::ComError;
using platform::Variant;
using platform::emulated::StoreCriteria;

// Properties of a test item; names ignore case.
struct Item {
    std::map<std::string, Variant> values;
    StoreCriteria::Lookup Lookup() const {
        return [this](std::string_view name) {
            for (const auto& [key, value] : values) {
                if (platform::text::EqualsNoCase(key, name))
                    return value;
            }
            return Variant();
        };
    }
};

bool Matches(const std::string& criteria, const Item& item) {
    return StoreCriteria::Parse(criteria).Matches(item.Lookup());
}

const Item kVisibleMessage{{{"DAV:ishidden", Variant(false)},
                            {"DAV:contentclass", Variant("urn:content-class:message")},
                            {"urn:schemas:httpmail:subject", Variant("It's here")},
                            {"scl", Variant(int32_t{6})},
                            {"keywords", Variant::StringArray({"red", "Blue"})}}};
const Item kHiddenItem{{{"DAV:ishidden", Variant(true)}}};

TEST(StoreCriteria, TheSetupProgramsCriteriaTellHiddenFromVisible) {
    const std::string criteria = " WHERE \"DAV:ishidden\" = FALSE";
    EXPECT_TRUE(Matches(criteria, kVisibleMessage));
    EXPECT_FALSE(Matches(criteria, kHiddenItem));
    EXPECT_TRUE(Matches("where \"DAV:ishidden\" = true", kHiddenItem));
    EXPECT_TRUE(Matches("WHERE \"DAV:ishidden\" <> TRUE", kVisibleMessage));
}

TEST(StoreCriteria, BlankCriteriaMatchEverything) {
    EXPECT_TRUE(Matches("", kHiddenItem));
    EXPECT_TRUE(Matches("   ", Item{}));
}

TEST(StoreCriteria, StringsInSingleQuotesCompareWithoutCase) {
    EXPECT_TRUE(
        Matches("WHERE \"DAV:contentclass\" = 'URN:content-class:MESSAGE'", kVisibleMessage));
    EXPECT_TRUE(Matches("WHERE \"urn:schemas:httpmail:subject\" = 'it''s here'", kVisibleMessage));
    EXPECT_FALSE(
        Matches("WHERE \"DAV:contentclass\" = 'urn:content-class:folder'", kVisibleMessage));
}

TEST(StoreCriteria, AndBindsTighterThanOrAndNotNegates) {
    // false AND false OR true: true only when AND binds tighter.
    EXPECT_TRUE(
        Matches("WHERE \"DAV:ishidden\" = TRUE AND \"scl\" = 1 OR \"scl\" = 6", kVisibleMessage));
    EXPECT_FALSE(
        Matches("WHERE \"DAV:ishidden\" = TRUE AND (\"scl\" = 1 OR \"scl\" = 6)", kVisibleMessage));
    EXPECT_TRUE(Matches("WHERE NOT \"DAV:ishidden\" = TRUE", kVisibleMessage));
    EXPECT_FALSE(Matches("WHERE NOT NOT \"DAV:ishidden\" = TRUE", kVisibleMessage));
}

TEST(StoreCriteria, NumbersCompareByValue) {
    EXPECT_TRUE(Matches("WHERE \"scl\" >= 5", kVisibleMessage));
    EXPECT_FALSE(Matches("WHERE \"scl\" < 6", kVisibleMessage));
    EXPECT_TRUE(Matches("WHERE \"scl\" > -1", kVisibleMessage));
    EXPECT_TRUE(Matches("WHERE \"scl\" != 7", kVisibleMessage));
}

TEST(StoreCriteria, MultiValuedPropertyMatchesOnAnyEntry) {
    EXPECT_TRUE(Matches("WHERE \"keywords\" = 'blue'", kVisibleMessage));
    EXPECT_FALSE(Matches("WHERE \"keywords\" = 'green'", kVisibleMessage));
    EXPECT_FALSE(Matches("WHERE \"keywords\" <> 'red'", kVisibleMessage));
    EXPECT_TRUE(Matches("WHERE \"keywords\" <> 'green'", kVisibleMessage));
}

TEST(StoreCriteria, AbsentPropertyComparesToNothing) {
    EXPECT_FALSE(Matches("WHERE \"missing\" = 'x'", kVisibleMessage));
    EXPECT_FALSE(Matches("WHERE \"missing\" <> 'x'", kVisibleMessage));
    EXPECT_TRUE(Matches("WHERE EXISTS \"scl\"", kVisibleMessage));
    EXPECT_FALSE(Matches("WHERE EXISTS(\"missing\")", kVisibleMessage));
}

TEST(StoreCriteria, NestingUpToAHundredDeepIsRead) {
    std::string notNot;
    for (int i = 0; i < 50; ++i)
        notNot += "NOT (";
    EXPECT_TRUE(Matches("WHERE " + notNot + "\"scl\" = 6" + std::string(50, ')'), kVisibleMessage));
}

TEST(StoreCriteria, TextThatIsNoWhereClauseIsRefused) {
    const std::vector<std::string> texts = {
        "\"DAV:ishidden\" = FALSE", "WHERE", "WHERE \"a\" =", "WHERE \"a\" = 'open",
        "WHERE \"a\" LIKE 'x'", "WHERE (\"a\" = 1", "WHERE \"a\" = 1 extra",
        "WHERE \"a\" = 99999999999", "WHERE \"a\" = 1 AND", "WHERE 'x' = \"a\"", "WHERE \"a\" ! 1",
        // deeper than any filter: refused, not read by a recursion that
        // could exhaust the stack
        "WHERE " + std::string(101, '(') + "TRUE" + std::string(101, ')'),
        "WHERE " + std::string(200000, '(')};
    for (const std::string& text : texts) {
        try {
            StoreCriteria::Parse(text);
            ADD_FAILURE() << "accepted: " << text;
        } catch (const ComError& error) {
            EXPECT_EQ(error.number(), platform::hresult::E_INVALIDARG) << text;
        }
    }
}

}  // namespace
