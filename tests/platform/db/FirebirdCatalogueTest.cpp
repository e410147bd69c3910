// Catalogue lists: tables and views, stored columns, foreign keys in both directions.

#include "tests/platform/db/TestDatabase.h"

#include <gtest/gtest.h>

using namespace platform::db;

namespace {

std::vector<std::string> keyTexts(const std::vector<ForeignKey>& keys) {
    std::vector<std::string> out;
    for (const auto& k : keys) {
        out.push_back(k.name + ": " + k.table + " -> " + k.referencedTable);
    }
    return out;
}

} // namespace

class FirebirdCatalogue : public ::testing::Test {
protected:
    void SetUp() override {
        c = db.create();
        c->execute("CREATE TABLE FORMS (ID INTEGER NOT NULL PRIMARY KEY, TABNAME VARCHAR(31))");
        c->execute("CREATE TABLE FIELDS (ID INTEGER NOT NULL PRIMARY KEY, FID INTEGER,"
                   " PRICE NUMERIC(9,2), QTY INTEGER, TOTAL COMPUTED BY (PRICE * QTY),"
                   " NAME VARCHAR(20),"
                   " CONSTRAINT FK_FIELDS_FORM FOREIGN KEY (FID) REFERENCES FORMS (ID))");
        c->execute("CREATE TABLE VALS (FID INTEGER, FORM_ID INTEGER,"
                   " CONSTRAINT FK_VALS_FIELD FOREIGN KEY (FID) REFERENCES FIELDS (ID),"
                   " CONSTRAINT FK_VALS_FORM FOREIGN KEY (FORM_ID) REFERENCES FORMS (ID))");
        c->execute("CREATE VIEW FORM_NAMES (ID, TABNAME) AS SELECT ID, TABNAME FROM FORMS");
        c->execute("CREATE TABLE \"lower\" (A INTEGER)");
    }
    dbtest::TestDatabase db;
    std::unique_ptr<Connection> c;
};

TEST_F(FirebirdCatalogue, TablesAndViewsWithoutSystemTables) {
    EXPECT_EQ(c->tableNames(),
              (std::vector<std::string>{"FIELDS", "FORMS", "FORM_NAMES", "VALS", "lower"}));
}

TEST_F(FirebirdCatalogue, StoredColumnsInTheirOrder) {
    EXPECT_EQ(c->columnNames("FIELDS"),
              (std::vector<std::string>{"ID", "FID", "PRICE", "QTY", "NAME"}));
    EXPECT_EQ(c->columnNames("FORM_NAMES"), (std::vector<std::string>{"ID", "TABNAME"}));
    EXPECT_TRUE(c->columnNames("NO_SUCH").empty());
    EXPECT_TRUE(c->columnNames("fields").empty()); // names are compared as stored
    EXPECT_EQ(c->columnNames("lower"), std::vector<std::string>{"A"});
}

TEST_F(FirebirdCatalogue, ForeignKeysBothWays) {
    EXPECT_EQ(
        keyTexts(c->foreignKeysOf("VALS")),
        (std::vector<std::string>{"FK_VALS_FIELD: VALS -> FIELDS", "FK_VALS_FORM: VALS -> FORMS"}));
    EXPECT_EQ(keyTexts(c->foreignKeysTo("FORMS")),
              (std::vector<std::string>{"FK_FIELDS_FORM: FIELDS -> FORMS",
                                        "FK_VALS_FORM: VALS -> FORMS"}));
    EXPECT_EQ(keyTexts(c->foreignKeysOf("FIELDS")),
              std::vector<std::string>{"FK_FIELDS_FORM: FIELDS -> FORMS"});
    EXPECT_EQ(keyTexts(c->foreignKeysTo("FIELDS")),
              std::vector<std::string>{"FK_VALS_FIELD: VALS -> FIELDS"});
    EXPECT_TRUE(c->foreignKeysOf("FORMS").empty());
    EXPECT_TRUE(c->foreignKeysTo("VALS").empty());

    // The names serve to drop the constraints, as the conversion does before dropping a table.
    for (const auto& k : c->foreignKeysTo("FORMS")) {
        c->execute("ALTER TABLE " + k.table + " DROP CONSTRAINT " + k.name);
    }
    EXPECT_TRUE(c->foreignKeysTo("FORMS").empty());
    c->execute("DROP VIEW FORM_NAMES");
    c->execute("DROP TABLE FORMS");
}
