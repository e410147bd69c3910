#include "platform/text/Text.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace platform::text;

TEST(Cp1251, EveryByteRoundTripsThroughUtf8) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all.push_back(static_cast<char>(b));
    }
    const std::string utf8 = cp1251ToUtf8(all);
    EXPECT_TRUE(isValidUtf8(utf8));
    EXPECT_EQ(utf8ToCp1251(utf8), all);
}

TEST(Cp1251, CyrillicAndSpecialCharacters) {
    EXPECT_EQ(utf8ToCp1251("Привет"), "\xCF\xF0\xE8\xE2\xE5\xF2");
    EXPECT_EQ(utf8ToCp1251("ЁёЎў№€"), "\xA8\xB8\xA1\xA2\xB9\x88");
    EXPECT_EQ(cp1251ToUtf8("\x98"), "\xC2\x98"); // the undefined byte keeps its own value
}

TEST(Cp1251, BadInputIsAnErrorNotALoss) {
    struct Case {
        const char* what;
        std::string input;
    };
    const Case cases[] = {
        {"character outside the code page", "日本"},
        {"lone continuation byte", "a\x80"},
        {"truncated sequence", "\xD0"},
        {"overlong slash", "\xC0\xAF"},
        {"surrogate", "\xED\xA0\x80"},
    };
    for (const auto& c : cases) {
        EXPECT_THROW(utf8ToCp1251(c.input), TextError) << c.what;
    }
}

TEST(Case, AsciiRulesLeaveCyrillicAlone) {
    EXPECT_EQ(asciiUpper("abc Жук z"), "ABC Жук Z");
    EXPECT_EQ(asciiLower("ABC ЖУК Z"), "abc ЖУК z");
}

TEST(Case, LocaleRulesChangeCyrillic) {
    EXPECT_EQ(localeUpper("abc жук ёж ґ ђ"), "ABC ЖУК ЁЖ Ґ Ђ");
    EXPECT_EQ(localeLower("ABC ЖУК ЁЖ Ґ Ђ"), "abc жук ёж ґ ђ");
    EXPECT_EQ(localeUpper("a\xFF"
                          "b"),
              "A\xFF"
              "B"); // invalid bytes pass through
}

TEST(Strings, Trims) {
    EXPECT_EQ(trimBlanks("  a b  "), "a b");
    EXPECT_EQ(trimBlanks("\t a \n"), "\t a \n");
    EXPECT_EQ(trimBlanks("   "), "");
    EXPECT_EQ(trimControls("\r\n\t a b \x01"), "a b");
    EXPECT_EQ(trimControls(""), "");
}

TEST(Strings, SqlLiteralDoublesQuotes) {
    EXPECT_EQ(sqlLiteral(""), "''");
    EXPECT_EQ(sqlLiteral("O'Brien"), "'O''Brien'");
}

TEST(Strings, ParseInt32) {
    struct Case {
        const char* text;
        std::optional<std::int32_t> value;
    };
    const Case cases[] = {
        {"42", 42},
        {"  -7", -7},
        {"+5", 5},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"2147483648", std::nullopt},
        {"", std::nullopt},
        {"-", std::nullopt},
        {"12 ", std::nullopt},
        {"1x", std::nullopt},
        {"99999999999999999999", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseInt32(c.text), c.value) << c.text;
    }
}

TEST(Strings, DecimalNumbersWithPointOrComma) {
    const struct {
        const char* text;
        std::optional<double> value;
    } cases[] = {
        {"1.5", 1.5},
        {"1,5", 1.5},
        {" -2,25 ", -2.25},
        {"+3", 3.0},
        {"42", 42.0},
        {".5", 0.5},
        {"5.", 5.0},
        {"1e3", 1000.0},
        {"2,5E-1", 0.25},
        {"", std::nullopt},
        {" ", std::nullopt},
        {"1,234.5", std::nullopt},
        {"1.2.3", std::nullopt},
        {"abc", std::nullopt},
        {"1e", std::nullopt},
        {"2024-05-01", std::nullopt},
        {"inf", std::nullopt},
        {"nan", std::nullopt},
        {"1e400", std::nullopt},
        {"-", std::nullopt},
        {".", std::nullopt},
        {"0x10", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseDecimal(c.text), c.value) << c.text;
    }
}

TEST(Strings, FindIgnoringCase) {
    EXPECT_EQ(findNoCase("Provider=x;LOCATION=/a", "location="), 11u);
    EXPECT_EQ(findNoCase("abc", "abcd"), std::string_view::npos);
    EXPECT_EQ(findNoCase("aXa", "xa", 2), std::string_view::npos);
    EXPECT_TRUE(equalsNoCase("Data Source", "DATA SOURCE"));
}

TEST(Lines, EveryKindOfLineBreakEndsALine) {
    struct Case {
        const char* what;
        std::string text;
        std::vector<std::string_view> lines;
    };
    const Case cases[] = {
        {"empty text", "", {""}},
        {"no break", "a", {"a"}},
        {"CR LF once", "a\r\nb", {"a", "b"}},
        {"LF", "a\nb", {"a", "b"}},
        {"lone CR", "a\rb", {"a", "b"}},
        {"LF CR is two breaks", "a\n\rb", {"a", "", "b"}},
        {"trailing break", "a\r\n", {"a", ""}},
        {"only breaks", "\r\r\n\n", {"", "", "", ""}},
        {"zero byte stays", std::string("a\0b", 3), {std::string_view("a\0b", 3)}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(splitLines(c.text), c.lines) << c.what;
    }
}
