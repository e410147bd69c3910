#include "update/connect/clsWinCrypt.h"

#include "platform/text/Text.h"
#include "update/connect/DigitText.h"

#include <gtest/gtest.h>

using update::connect::BytesToDigits;
using update::connect::kDefaultProviderName;
using update::connect::kLoginPassPhrase;
using update::connect::TWinCryptObject;

namespace {

std::string allBytes() {
    std::string bytes;
    for (int b = 0; b < 256; ++b) {
        bytes.push_back(static_cast<char>(b));
    }
    return bytes;
}

// An object keyed with the login's pass phrase.
struct LoginCrypt : ::testing::Test {
    LoginCrypt() { crypt.SetPassPhrase(kLoginPassPhrase); }
    TWinCryptObject crypt;
};

} // namespace

TEST(WinCrypt, StartsWithTheDefaultProviderAndNoError) {
    TWinCryptObject crypt;
    EXPECT_EQ(crypt.ProviderName(), kDefaultProviderName);
    EXPECT_EQ(crypt.LastErrorCode(), 0u);
    EXPECT_EQ(crypt.LastErrorText(), "");
}

TEST_F(LoginCrypt, KnownValueOfTheProductsKeying) {
    // The key is SHA-1 of the pass phrase cut to 5 bytes and padded with 11 zero bytes.
    std::string bytes = "masterkey";
    ASSERT_TRUE(crypt.EncryptString(bytes));
    const std::string digits = BytesToDigits(bytes);
    EXPECT_EQ(digits.substr(0, 9), "198065021");
    EXPECT_EQ(digits, "198065021183005046159115221");
    EXPECT_EQ(crypt.LastErrorText(), "");
}

TEST_F(LoginCrypt, RoundTripsAnyBytesInPlace) {
    const std::string cases[] = {
        "",
        "a",
        std::string("\0\0\0", 3),
        platform::text::utf8ToCp1251("Пароль Ёж №1"),
        allBytes(),
        std::string(5000, 'x'),
    };
    for (const auto& plain : cases) {
        std::string bytes = plain;
        ASSERT_TRUE(crypt.EncryptString(bytes));
        EXPECT_EQ(bytes.size(), plain.size());
        if (!plain.empty()) {
            EXPECT_NE(bytes, plain);
        }
        ASSERT_TRUE(crypt.DecryptString(bytes));
        EXPECT_EQ(bytes, plain);
    }
}

TEST_F(LoginCrypt, EveryCallStartsTheKeyStreamAfresh) {
    std::string first = "same text";
    std::string second = "same text";
    std::string other = "other";
    ASSERT_TRUE(crypt.EncryptString(first));
    ASSERT_TRUE(crypt.DecryptString(other));
    ASSERT_TRUE(crypt.EncryptString(second));
    EXPECT_EQ(first, second);
    // Encrypting and decrypting are the same operation.
    std::string third = "same text";
    ASSERT_TRUE(crypt.DecryptString(third));
    EXPECT_EQ(third, first);
}

TEST_F(LoginCrypt, EncipheredBytesMayHoldZero) {
    // The first key stream byte is 198 ^ 'm'; enciphering that byte gives 0.
    std::string bytes(1, static_cast<char>(198 ^ 'm'));
    ASSERT_TRUE(crypt.EncryptString(bytes));
    EXPECT_EQ(bytes, std::string(1, '\0'));
    EXPECT_EQ(BytesToDigits(bytes), "000");
}

TEST(WinCrypt, DifferentPassPhrasesGiveDifferentKeys) {
    TWinCryptObject a;
    TWinCryptObject b;
    a.SetPassPhrase(kLoginPassPhrase);
    b.SetPassPhrase("5E0C3A7D21B94F6E09");
    std::string x = "masterkey";
    std::string y = "masterkey";
    ASSERT_TRUE(a.EncryptString(x));
    ASSERT_TRUE(b.EncryptString(y));
    EXPECT_NE(x, y);
    EXPECT_EQ(b.PassPhrase(), "5E0C3A7D21B94F6E09");
}

TEST(WinCrypt, NoKeyBeforeAPassPhrase) {
    TWinCryptObject crypt;
    std::string bytes = "text";
    EXPECT_FALSE(crypt.EncryptString(bytes));
    EXPECT_EQ(bytes, "text");
    EXPECT_EQ(crypt.LastErrorText().rfind("Ошибка кодирования строки: ", 0), 0u)
        << crypt.LastErrorText();
    EXPECT_NE(crypt.LastErrorCode(), 0u);
    EXPECT_FALSE(crypt.DecryptString(bytes));
    EXPECT_EQ(crypt.LastErrorText().rfind("Ошибка раскодирования строки: ", 0), 0u)
        << crypt.LastErrorText();
}

TEST(WinCrypt, UnknownProviderFailsAtTheKeyAndDropsTheOldKey) {
    TWinCryptObject crypt;
    crypt.SetPassPhrase(kLoginPassPhrase);
    crypt.SetProvider("Some Other Provider");
    EXPECT_EQ(crypt.ProviderName(), "Some Other Provider");
    EXPECT_EQ(crypt.LastErrorText(), "") << "choosing a provider reports nothing";

    crypt.SetPassPhrase(kLoginPassPhrase);
    EXPECT_EQ(crypt.LastErrorText().rfind("Ошибка создания Hash-объекта: ", 0), 0u)
        << crypt.LastErrorText();
    EXPECT_NE(crypt.LastErrorText().find("Some Other Provider"), std::string::npos);
    EXPECT_NE(crypt.LastErrorCode(), 0u);

    // The key of the earlier, successful pass phrase must not be used any more.
    std::string bytes = "masterkey";
    EXPECT_FALSE(crypt.EncryptString(bytes));
    EXPECT_EQ(bytes, "masterkey");
    EXPECT_FALSE(crypt.encryptText("x").has_value());

    crypt.SetProvider("");
    EXPECT_EQ(crypt.ProviderName(), kDefaultProviderName);
    crypt.SetPassPhrase(kLoginPassPhrase);
    EXPECT_EQ(crypt.LastErrorText(), "");
    EXPECT_EQ(crypt.LastErrorCode(), 0u);
    ASSERT_TRUE(crypt.EncryptString(bytes));
    EXPECT_EQ(BytesToDigits(bytes), "198065021183005046159115221");
}

TEST(WinCrypt, SuccessClearsTheLastError) {
    TWinCryptObject crypt;
    std::string bytes = "x";
    ASSERT_FALSE(crypt.EncryptString(bytes));
    crypt.SetPassPhrase("p");
    ASSERT_TRUE(crypt.EncryptString(bytes));
    EXPECT_EQ(crypt.LastErrorCode(), 0u);
    EXPECT_EQ(crypt.LastErrorText(), "");
}

TEST_F(LoginCrypt, TextFunctionsWorkOnWindows1251Bytes) {
    const auto bytes = crypt.encryptText("Пароль");
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(bytes->size(), 6u) << "one byte per Cyrillic letter";
    std::string raw = platform::text::utf8ToCp1251("Пароль");
    ASSERT_TRUE(crypt.EncryptString(raw));
    EXPECT_EQ(*bytes, raw);
    EXPECT_EQ(crypt.decryptText(*bytes), "Пароль");
    EXPECT_THROW((void)crypt.encryptText("日本"), platform::text::TextError);
}

TEST(WinCrypt, PassPhraseTextIsKeyedByItsWindows1251Bytes) {
    TWinCryptObject fromText;
    TWinCryptObject fromBytes;
    fromText.setPassPhraseText("Ключ");
    fromBytes.SetPassPhrase(platform::text::utf8ToCp1251("Ключ"));
    std::string a = "value";
    std::string b = "value";
    ASSERT_TRUE(fromText.EncryptString(a));
    ASSERT_TRUE(fromBytes.EncryptString(b));
    EXPECT_EQ(a, b);
}
