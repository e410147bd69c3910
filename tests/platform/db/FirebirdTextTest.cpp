// Texts cross the connection as UTF-8 and are stored in windows-1251.

#include "tests/platform/db/TestDatabase.h"

#include <gtest/gtest.h>

using namespace platform::db;
using dbtest::scalar;

namespace {

std::string messageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const DbError& e) {
        return e.what();
    }
    return "<no error>";
}

} // namespace

class FirebirdText : public ::testing::Test {
protected:
    void SetUp() override {
        c = db.create();
        c->execute("CREATE TABLE NAMES (ID INTEGER, NAME VARCHAR(40), CODE CHAR(6),"
                   " NOTE BLOB SUB_TYPE TEXT)");
    }
    dbtest::TestDatabase db;
    std::unique_ptr<Connection> c;
};

TEST_F(FirebirdText, CyrillicSurvivesTheWin1251Columns) {
    const std::string name = "Справочник «Ёлки» №5 — €";
    c->execute("INSERT INTO NAMES VALUES (1, '" + name +
               "', 'ЖЁЛТЫ', 'Примечание: длинный текст')");
    // The bytes reach the database in windows-1251, one byte per letter.
    EXPECT_EQ(scalar(*c, "SELECT CHAR_LENGTH(NAME) FROM NAMES"), "24");
    EXPECT_EQ(scalar(*c, "SELECT OCTET_LENGTH(NAME) FROM NAMES"), "24");
    EXPECT_EQ(scalar(*c, "SELECT NAME FROM NAMES"), name);
    EXPECT_EQ(scalar(*c, "SELECT NOTE FROM NAMES"), "Примечание: длинный текст");
    // Fixed-length columns keep their padding.
    EXPECT_EQ(scalar(*c, "SELECT CODE FROM NAMES"), "ЖЁЛТЫ ");
    // Upper case and comparison happen in the database, on the stored letters.
    EXPECT_EQ(scalar(*c, "SELECT ID FROM NAMES WHERE UPPER(NAME) = 'СПРАВОЧНИК «ЁЛКИ» №5 — €'"),
              "1");
    // A fresh connection reads what the first one stored.
    c->close();
    EXPECT_EQ(scalar(*db.open(), "SELECT NAME FROM NAMES WHERE ID = 1"), name);
}

TEST_F(FirebirdText, CharacterOutsideWin1251IsAnErrorNotALoss) {
    const std::string message =
        messageOf([&] { c->execute("INSERT INTO NAMES (ID, NAME) VALUES (2, '漢字')"); });
    EXPECT_NE(message.find("WIN1251"), std::string::npos) << message;
    EXPECT_EQ(scalar(*c, "SELECT COUNT(*) FROM NAMES"), "0");
    EXPECT_NE(messageOf([&] { c->query("SELECT '漢' FROM RDB$DATABASE"); }), "<no error>");
}

TEST_F(FirebirdText, ErrorsCarryTheDatabaseMessageInUtf8) {
    const std::string missing = messageOf([&] { c->query("SELECT * FROM NO_SUCH_TABLE"); });
    EXPECT_NE(missing.find("Table unknown"), std::string::npos) << missing;
    EXPECT_NE(missing.find("NO_SUCH_TABLE"), std::string::npos) << missing;

    const std::string cyrillic = messageOf([&] { c->execute("DELETE FROM \"Таблица\""); });
    EXPECT_NE(cyrillic.find("Таблица"), std::string::npos) << cyrillic;

    const std::string tooLong =
        messageOf([&] { c->execute("INSERT INTO NAMES (CODE) VALUES ('Слишком длинно')"); });
    EXPECT_NE(tooLong.find("string right truncation"), std::string::npos) << tooLong;
    // The lines of the status vector are kept apart.
    EXPECT_NE(tooLong.find('\n'), std::string::npos) << tooLong;
}

TEST_F(FirebirdText, ColumnsOfAnotherCharacterSetAreConverted) {
    c->execute("CREATE TABLE WIDE (NAME VARCHAR(20) CHARACTER SET UTF8,"
               " NOTE BLOB SUB_TYPE TEXT CHARACTER SET UTF8, RAW CHAR(4) CHARACTER SET OCTETS)");
    c->execute("INSERT INTO WIDE VALUES ('Ёлка', 'Длинная ёлка', 'ab')");
    EXPECT_EQ(scalar(*c, "SELECT NAME FROM WIDE"), "Ёлка");
    EXPECT_EQ(scalar(*c, "SELECT NOTE FROM WIDE"), "Длинная ёлка");
    // Bytes stay bytes.
    EXPECT_EQ(scalar(*c, "SELECT RAW FROM WIDE"), std::string("ab\0\0", 4));
}
