#include "platform/db/Values.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <limits>

using namespace platform::db;

TEST(Values, ScaledIntegersKeepTheirDecimals) {
    struct Case {
        std::int64_t value;
        int scale;
        const char* text;
    };
    const Case cases[] = {
        {1250, -2, "12.50"},
        {-5, -2, "-0.05"},
        {5, -3, "0.005"},
        {0, -2, "0.00"},
        {-625, -4, "-0.0625"},
        {12, 0, "12"},
        {12, 2, "1200"},
        {std::numeric_limits<std::int64_t>::min(), 0, "-9223372036854775808"},
        {std::numeric_limits<std::int64_t>::min(), -4, "-922337203685477.5808"},
        {std::numeric_limits<std::int64_t>::max(), -18, "9.223372036854775807"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(formatScaled(c.value, c.scale), c.text) << c.value << " " << c.scale;
    }
}

TEST(Values, FloatingPointAsTheShortestTextThatReadsBack) {
    EXPECT_EQ(formatDouble(1.5), "1.5");
    EXPECT_EQ(formatDouble(42), "42");
    EXPECT_EQ(formatDouble(0.1), "0.1");
    EXPECT_EQ(formatDouble(-2.5e-7), "-2.5e-07");
    EXPECT_EQ(formatDouble(1e20), "1e+20");
    EXPECT_EQ(std::stod(formatDouble(1.0 / 3)), 1.0 / 3);
    EXPECT_EQ(formatFloat(0.1F), "0.1");
    EXPECT_EQ(formatFloat(0.25F), "0.25");
}

TEST(Values, DatesAndTimesWithLeadingZeros) {
    EXPECT_EQ(formatDate(2024, 2, 9), "2024-02-09");
    EXPECT_EQ(formatDate(987, 12, 31), "0987-12-31");
    EXPECT_EQ(formatTime(7, 8, 9), "07:08:09");
    EXPECT_EQ(formatTime(23, 59, 59), "23:59:59");
}
