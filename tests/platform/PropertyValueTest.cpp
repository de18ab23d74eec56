#include "platform/PropertyValue.h"

#include <gtest/gtest.h>

using platform::PropertyValue;

TEST(PropertyValue, TypedAccessorsAnswerAbsentForOtherTypes) {
    PropertyValue flag(true);
    PropertyValue number(std::int64_t{2});
    PropertyValue text("yes");
    EXPECT_EQ(flag.boolean(), true);
    EXPECT_EQ(number.boolean(), std::nullopt);
    EXPECT_EQ(flag.integer(), std::nullopt);
    EXPECT_EQ(text.text()->size(), 3u);
    EXPECT_EQ(text.boolean(), std::nullopt);
    EXPECT_EQ(text.array(), nullptr);
}

TEST(PropertyValue, NumbersIncludeBooleansAndTheirTruthIsNonZero) {
    EXPECT_EQ(PropertyValue(false).numberAsBool(), false);
    EXPECT_EQ(PropertyValue(2).numberAsBool(), true);
    EXPECT_EQ(PropertyValue(0).numberAsBool(), false);
    EXPECT_EQ(PropertyValue(0.5).numberAsBool(), true);
    EXPECT_EQ(PropertyValue("1").numberAsBool(), std::nullopt);
    EXPECT_FALSE(PropertyValue(platform::Date{3}).isNumber());
}

TEST(PropertyValue, BooleanAndIntegerOneAreDifferentValues) {
    EXPECT_NE(PropertyValue(true), PropertyValue(1));
    EXPECT_EQ(PropertyValue(platform::PropertyArray{1, "a"}),
              PropertyValue(platform::PropertyArray{1, "a"}));
}
