// The soak's picture of a stamped message, checked on the stamping rules'
// own examples before the soak relies on it.
#include <gtest/gtest.h>

#include "tests/reliability/StampRules.h"

namespace reliability {
namespace {

using platform::Variant;

TEST(StampRules, DisplayFormatSelectsTheForm) {
    EXPECT_EQ(FormOfDisplayFormat("<SCL value>"), StampForm::Bare);
    EXPECT_EQ(FormOfDisplayFormat("<scl VALUE>"), StampForm::Bare);
    EXPECT_EQ(FormOfDisplayFormat("SCL=<SCL value>"), StampForm::Prefixed);
    EXPECT_EQ(FormOfDisplayFormat(""), StampForm::Prefixed);
    EXPECT_EQ(FormOfDisplayFormat(" <SCL value>"), StampForm::Prefixed);
}

TEST(StampRules, Stamps) {
    EXPECT_EQ(StampOf(StampForm::Prefixed, 6), "SCL=6");
    EXPECT_EQ(StampOf(StampForm::Prefixed, -1), "SCL=-1");
    EXPECT_EQ(StampOf(StampForm::Bare, 6), "6");
    EXPECT_EQ(StampOf(StampForm::Bare, 12), "12");
}

TEST(StampRules, NoKeywordsOrNoArrayGiveTheStampAlone) {
    EXPECT_EQ(StampedKeywords(Variant(), StampForm::Prefixed, 6), Variant::StringArray({"SCL=6"}));
    EXPECT_EQ(StampedKeywords(Variant("Project"), StampForm::Bare, 6), Variant::StringArray({"6"}));
}

TEST(StampRules, BlankEntriesAndOldStampsOfTheSameFormGo) {
    EXPECT_EQ(StampedKeywords(Variant::StringArray({"7", "   ", "other"}), StampForm::Bare, 6),
              Variant::StringArray({"other", "6"}));
    EXPECT_EQ(StampedKeywords(Variant::StringArray({"scl=3", "SCL=-1", "", "Project"}),
                              StampForm::Prefixed, 4),
              Variant::StringArray({"Project", "SCL=4"}));
}

TEST(StampRules, OtherFormsSpacedStampsAndOutOfRangeValuesStay) {
    EXPECT_EQ(StampedKeywords(Variant::StringArray({"SCL=-1", " 5", "10"}), StampForm::Bare, -1),
              Variant::StringArray({"SCL=-1", " 5", "10", "-1"}));
    EXPECT_EQ(StampedKeywords(Variant::StringArray({"6", "SCL=12", "\t"}), StampForm::Prefixed, 12),
              Variant::StringArray({"6", "SCL=12", "\t", "SCL=12"}));
}

}  // namespace
}  // namespace reliability
