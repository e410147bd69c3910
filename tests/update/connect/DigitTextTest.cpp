#include "update/connect/DigitText.h"

#include <gtest/gtest.h>

using update::connect::BytesToDigits;
using update::connect::DigitsToBytes;
using update::connect::isDigitText;

namespace {
std::string bytesOf(std::initializer_list<int> values) {
    std::string bytes;
    for (const int v : values) {
        bytes.push_back(static_cast<char>(v));
    }
    return bytes;
}
} // namespace

TEST(DigitText, BytesToDigits) {
    EXPECT_EQ(BytesToDigits(""), "");
    EXPECT_EQ(BytesToDigits(bytesOf({0, 7, 65, 255})), "000007065255");
    EXPECT_EQ(BytesToDigits(bytesOf({10, 99, 100, 128})), "010099100128");
}

TEST(DigitText, DigitsToBytes) {
    struct Case {
        const char* digits;
        std::string bytes;
    };
    const Case cases[] = {
        {"", ""},
        {"000007065255", bytesOf({0, 7, 65, 255})},
        {"0657", bytesOf({65, 7})},       // a short last group is read as a number
        {"06507", bytesOf({65, 7})},      // two digits at the end
        {"x1z065", bytesOf({65})},        // a group that is no number adds nothing
        {"065x1z066", bytesOf({65, 66})}, // and the work goes on
        {"300", bytesOf({44})},           // the low 8 bits
        {"999256", bytesOf({231, 0})},
        {"1 2", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DigitsToBytes(c.digits), c.bytes) << c.digits;
    }
}

TEST(DigitText, EveryByteRoundTrips) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all.push_back(static_cast<char>(b));
    }
    const std::string digits = BytesToDigits(all);
    EXPECT_EQ(digits.size(), 3 * all.size());
    EXPECT_TRUE(isDigitText(digits));
    EXPECT_EQ(DigitsToBytes(digits), all);
}

TEST(DigitText, IsDigitTextAcceptsOnlyWhatBytesToDigitsWrites) {
    struct Case {
        const char* text;
        bool valid;
    };
    const Case cases[] = {
        {"", true},     {"000255", true}, {"0657", false}, {"256", false},
        {"12a", false}, {" 12", false},   {"-12", false},  {"065065065", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isDigitText(c.text), c.valid) << c.text;
    }
}
