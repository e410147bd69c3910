#include "update/connect/ShiftCipher.h"

#include "KeyTableFixture.h"
#include "platform/text/Text.h"

#include <gtest/gtest.h>

using namespace update::connect;
using connecttest::kTestTable;

namespace {

std::string allBytes() {
    std::string bytes;
    for (int b = 0; b < 256; ++b) {
        bytes.push_back(static_cast<char>(b));
    }
    return bytes;
}

int byteAt(const std::string& s, std::size_t i) {
    return static_cast<unsigned char>(s[i]);
}

} // namespace

TEST(ShiftCipher, HandComputedValues) {
    ShiftKeyTable table{};
    table.fill(1);
    table[0] = 31;
    table[10] = 5;
    struct Case {
        int mode;
        int plain;
        int encoded;
    };
    const Case cases[] = {
        {1, 255, 93}, // (255 + 31 - 1) mod 224 + 32
        {1, 200, 38}, // (200 + 30) mod 224 + 32: wraps round
        {1, 32, 94},  // (32 + 30) + 32
        {2, 32, 68},  // mode 2 uses entry 10: (32 + 4) + 32
        {2, 250, 62}, // (250 + 4) mod 224 + 32
        {1, 9, 71},   // a tab is shifted like any byte
        {2, 0, 36},   // and so is byte 0
    };
    for (const auto& c : cases) {
        const std::string plain(1, static_cast<char>(c.plain));
        const std::string encoded = shiftEncodeBytes(plain, c.mode, table);
        EXPECT_EQ(byteAt(encoded, 0), c.encoded) << c.plain << " mode " << c.mode;
    }
    EXPECT_EQ(byteAt(shiftDecodeBytes(std::string(1, char(38)), 1, table), 0), 200);
    EXPECT_EQ(byteAt(shiftDecodeBytes(std::string(1, char(93)), 1, table), 0), 255);
}

TEST(ShiftCipher, RangeAndRoundTripOverEveryByte) {
    const ShiftKeyTable tables[] = {builtInShiftKeyTable(), kTestTable};
    for (const auto& table : tables) {
        for (const int mode : {1, 2}) {
            // Every byte at every key position: 256 bytes cover each of the 10 positions.
            const std::string plain = allBytes();
            const std::string encoded = shiftEncodeBytes(plain, mode, table);
            const std::string decoded = shiftDecodeBytes(encoded, mode, table);
            ASSERT_EQ(encoded.size(), plain.size());
            ASSERT_EQ(decoded.size(), plain.size());
            for (std::size_t i = 0; i < plain.size(); ++i) {
                EXPECT_GE(byteAt(encoded, i), 32) << "byte " << i << " mode " << mode;
                const int expected = i < 32 ? static_cast<int>(i) + 224 : static_cast<int>(i);
                EXPECT_EQ(byteAt(decoded, i), expected) << "byte " << i << " mode " << mode;
            }
        }
    }
}

TEST(ShiftCipher, KeyRepeatsEveryTenCharacters) {
    const std::string plain(21, 'A');
    const std::string encoded = shiftEncodeBytes(plain, 1, kTestTable);
    EXPECT_EQ(encoded[0], encoded[10]);
    EXPECT_EQ(encoded[0], encoded[20]);
    EXPECT_EQ(encoded[9], encoded[19]);
    for (std::size_t i = 1; i < 10; ++i) {
        EXPECT_NE(encoded[0], encoded[i]) << i;
    }
}

TEST(ShiftCipher, ModesUseDifferentHalvesOfTheTable) {
    const std::string plain = "Sample text";
    ShiftKeyTable secondHalfChanged = kTestTable;
    ShiftKeyTable firstHalfChanged = kTestTable;
    for (std::size_t i = 0; i < 10; ++i) {
        secondHalfChanged[10 + i] = 30;
        firstHalfChanged[i] = 30;
    }
    const std::string mode1 = shiftEncodeBytes(plain, 1, kTestTable);
    const std::string mode2 = shiftEncodeBytes(plain, 2, kTestTable);
    EXPECT_NE(mode1, mode2);
    EXPECT_EQ(shiftEncodeBytes(plain, 1, secondHalfChanged), mode1);
    EXPECT_NE(shiftEncodeBytes(plain, 2, secondHalfChanged), mode2);
    EXPECT_EQ(shiftEncodeBytes(plain, 2, firstHalfChanged), mode2);
    EXPECT_NE(shiftEncodeBytes(plain, 1, firstHalfChanged), mode1);
}

TEST(ShiftCipher, OnlyModesOneAndTwo) {
    for (const int mode : {0, 3, -1}) {
        EXPECT_THROW((void)shiftEncodeBytes("a", mode, kTestTable), std::invalid_argument);
        EXPECT_THROW((void)shiftDecodeBytes("a", mode, kTestTable), std::invalid_argument);
    }
}

TEST(ShiftCipherText, CyrillicRoundTripsInBothModes) {
    const std::string texts[] = {"", "Пароль", "ЁжиК №5 €", "sa", "Mixed Текст 123 !@#"};
    for (const auto& text : texts) {
        for (const int mode : {1, 2}) {
            const std::string encoded = ShiftEncode(text, mode, kTestTable);
            EXPECT_TRUE(platform::text::isValidUtf8(encoded));
            EXPECT_EQ(platform::text::utf8ToCp1251(encoded).size(),
                      platform::text::utf8ToCp1251(text).size());
            if (!text.empty()) {
                EXPECT_NE(encoded, text);
            }
            EXPECT_EQ(ShiftDecode(encoded, mode, kTestTable), text) << text << " mode " << mode;
        }
    }
}

TEST(ShiftCipherText, UsesTheTableGiven) {
    // 'A' (65) with key 1 at position 0 gives (65 + 0) mod 224 + 32 = 97.
    EXPECT_EQ(ShiftEncode("A", 1, kTestTable), "a");
    EXPECT_NE(ShiftEncode("A", 1, builtInShiftKeyTable()), "a");
}

TEST(ShiftCipherText, BytesWithoutACharacterOfTheirOwnStillComeOut) {
    // 0x98 has no character in windows-1251; it travels as U+0098 and comes back.
    // With key 1: c + 0 = 0x98 - 32 gives c = 'x'.
    const std::string encoded = ShiftEncode("x", 1, kTestTable);
    EXPECT_EQ(encoded, "\xC2\x98");
    EXPECT_EQ(ShiftDecode(encoded, 1, kTestTable), "x");
}

TEST(ShiftCipherText, ATabDoesNotSurvive) {
    const std::string back = ShiftDecode(ShiftEncode("a\tb", 2, kTestTable), 2, kTestTable);
    EXPECT_NE(back, "a\tb");
    EXPECT_EQ(back, "a" + platform::text::cp1251ToUtf8(std::string(1, char(9 + 224))) + "b");
}

TEST(ShiftCipherText, TextOutsideWindows1251IsAnError) {
    EXPECT_THROW((void)ShiftEncode("日本", 1, kTestTable), platform::text::TextError);
    EXPECT_THROW((void)ShiftDecode("\xFF", 1, kTestTable), platform::text::TextError);
}
