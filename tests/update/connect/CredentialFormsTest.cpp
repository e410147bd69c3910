#include "update/connect/CredentialForms.h"

#include "KeyTableFixture.h"
#include "platform/text/Text.h"
#include "update/connect/DigitText.h"

#include <gtest/gtest.h>

using namespace update::connect;
using connecttest::kTestTable;

TEST(CredentialForms, KnownStoredFormOfMasterkey) {
    const std::string stored = storedFormNew("masterkey");
    EXPECT_EQ(stored.rfind("198065021", 0), 0u) << stored;
    EXPECT_EQ(readStoredNew(stored), "masterkey");
}

TEST(CredentialForms, ValuesRoundTripThroughBothForms) {
    const std::string values[] = {"",          "masterkey",       "Пароль",
                                  "ЁжиК №5 €", " blank at ends ", "Secret;with=signs"};
    for (const auto& value : values) {
        const std::string bytes = platform::text::utf8ToCp1251(value);

        const std::string stored = storedFormNew(value);
        EXPECT_EQ(stored.size(), 3 * bytes.size()) << value;
        EXPECT_TRUE(isDigitText(stored));
        EXPECT_EQ(readStoredNew(stored), value);

        const std::string old = storedFormOld(value, kTestTable);
        EXPECT_EQ(platform::text::utf8ToCp1251(old).size(), bytes.size()) << value;
        if (!value.empty()) {
            EXPECT_NE(old, value);
        }
        EXPECT_EQ(readStoredOld(old, kTestTable), value);

        const std::string registryBytes = encipherLoginText(value);
        EXPECT_EQ(registryBytes, DigitsToBytes(stored));
        EXPECT_EQ(decipherLoginText(registryBytes), value);
    }
}

TEST(CredentialForms, ReadingSkipsGroupsThatAreNoNumbers) {
    const std::string stored = storedFormNew("Пароль");
    const std::string damaged = stored.substr(0, 6) + "x?z" + stored.substr(6);
    EXPECT_EQ(readStoredNew(damaged), "Пароль");
}

TEST(CredentialForms, TextOutsideWindows1251IsAnError) {
    EXPECT_THROW((void)storedFormNew("日本"), platform::text::TextError);
    EXPECT_THROW((void)storedFormOld("日本", kTestTable), platform::text::TextError);
    EXPECT_THROW((void)encipherLoginText("\xFF"), platform::text::TextError);
}
