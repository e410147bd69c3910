#include "tests/varnex/LookupFormsDatabase.h"
#include "tests/varnex/ProgressRecorder.h"
#include "varnex/DoIt.h"
#include "varnex/State.h"

#include <clocale>
#include <cstdlib>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using testing::ElementsAre;
using testing::EndsWith;
using testing::HasSubstr;
using varnextest::LookupFormsDatabase;
using varnextest::recordedProgress;

const char* const kLookupFields =
    "select FID, CAPTION, NUM_ORDER, WIDTH, FIELD_NAME, FIELD_TYPE, PARAMETER_TYPE, "
    "COMPARE_TYPE, DEFAULT_VALUE, REFERENCE, REFERENCE_TYPE, HIDDEN_FIELD, INDEX_FIELD, "
    "IN_VAR_NAME, OUT_VAR_NAME from REG_LOK18 order by ID";
const char* const kValues = "select f.FID, v.REC_NUM, f.FIELD_NAME, v.STR_VALUE, v.INT_VALUE, "
                            "v.FLT_VALUE from REG_LOK_VALUES v join REG_LOK18 f on f.ID = v.FID "
                            "order by f.FID, v.REC_NUM, f.NUM_ORDER";

const std::vector<std::string> kSampleFields = {
    "1|Код города|1|50|ID|1|1|=||REF_CITY|2|1|1|ID|",
    "1|Город|2|200|NAME|5|3|LK|Москва||0|0|0|NAME|CITY_NAME",
    "1||3|80|AREA|2|1||||0|0|0|AREA|",
    "1|Основан|4|60|FOUNDED|3|0||||0|0|0||",
    "1|Нет такой|5|10|MISSING|3|0||||0|0|0||",
    "1|Примечание|6|10|NOTE|3|0||||0|0|0||",
    "2|Unit's name|1|100|CAPTION|3|2||||0|0|0||UNIT",
    "2||2|0|CODE|4|1||||0|0|0|CODE|",
};

const std::vector<std::string> kSampleValues = {
    "1|0|ID|1|1|1",
    "1|0|NAME|Москва|<null>|<null>",
    "1|0|AREA|2561.5|<null>|2561.5",
    "1|0|FOUNDED|1147-04-04|<null>|<null>",
    "1|0|MISSING|<null>|<null>|<null>",
    "1|0|NOTE|1,5|<null>|1.5",
    "1|1|ID|2|2|2",
    "1|1|NAME|O'Hara|<null>|<null>",
    "1|1|AREA|42|42|42",
    "1|1|FOUNDED|<null>|<null>|<null>",
    "1|1|MISSING|<null>|<null>|<null>",
    "1|1|NOTE|x|<null>|<null>",
    "1|2|ID|3|3|3",
    "1|2|NAME|<null>|<null>|<null>",
    "1|2|AREA|<null>|<null>|<null>",
    "1|2|FOUNDED|2024-05-01|<null>|<null>",
    "1|2|MISSING|<null>|<null>|<null>",
    "1|2|NOTE|<null>|<null>|<null>",
    "2|0|CAPTION|кг|<null>|<null>",
    "2|0|CODE|1|1|1",
    "2|1|CAPTION|d'Arc|<null>|<null>",
    "2|1|CODE|2|2|2",
};

class ConvertFirebirdTest : public testing::Test {
protected:
    void SetUp() override { varnextest::resetLibrary(); }
    void TearDown() override { varnex::resetState(); }

    std::int32_t convert(const char* databaseType = "FIREBIRD") {
        return varnex::DoIt(db.connectionString().c_str(), databaseType);
    }

    LookupFormsDatabase db;
};

TEST_F(ConvertFirebirdTest, ConvertsEveryFormRowByRowAndDropsTheOldTables) {
    db.addSampleForms();
    ASSERT_EQ(convert(), 0) << varnex::errorStr();
    EXPECT_EQ(varnex::errorStr(), "");

    EXPECT_EQ(db.rows(kLookupFields), kSampleFields);
    EXPECT_EQ(db.rows(kValues), kSampleValues);

    EXPECT_THAT(recordedProgress(), ElementsAre(0.0, 2.0, 4.0, 6.0, 8.0, 10.0, 55.0, 100.0, 100.0));
    EXPECT_EQ(varnex::procPercent(), 100.0);

    // The data tables are gone with their triggers and the foreign keys to them; the table
    // that referenced one stays.
    EXPECT_FALSE(db.hasTable("LOK_CITY"));
    EXPECT_FALSE(db.hasTable("LOK_UNIT"));
    EXPECT_TRUE(db.triggersOf("LOK_CITY").empty());
    EXPECT_TRUE(db.hasTable("CITY_REF"));
    EXPECT_TRUE(db.open()->foreignKeysOf("CITY_REF").empty());
    EXPECT_FALSE(db.hasTable("REG_LOK12"));
    EXPECT_FALSE(db.hasTable("REG_LOK13"));
    EXPECT_TRUE(db.triggersOf("REG_LOK12").empty());
    EXPECT_TRUE(db.hasTable("REG_LOK7"));
    EXPECT_TRUE(db.hasTable("REG_LOK_STR"));

    // The new layout numbers its rows itself.
    EXPECT_THAT(db.triggersOf("REG_LOK18"), ElementsAre("REG_LOK18_BI0"));
    db.run({"insert into REG_LOK18 (FID, CAPTION) values (1, 'new')"});
    EXPECT_EQ(db.rows("select count(*) from REG_LOK18 where ID > 8"),
              std::vector<std::string>{"1"});
}

TEST_F(ConvertFirebirdTest, DecimalCommaLocaleLeavesTheValuesAsTheDatabaseGivesThem) {
    // A locale with a decimal comma, made for the test.
    testsupport::TempDir locales;
    const std::string make =
        "localedef -i ru_RU -f UTF-8 '" + locales.str() + "/ru_RU.UTF-8' >/dev/null 2>&1";
    if (std::system(make.c_str()) != 0) {
        GTEST_SKIP() << "localedef cannot make ru_RU.UTF-8 here";
    }
    testsupport::ScopedEnv path("LOCPATH", locales.str());
    ASSERT_NE(std::setlocale(LC_NUMERIC, "ru_RU.UTF-8"), nullptr);
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    db.addSampleForms();
    const std::int32_t result = convert();
    std::setlocale(LC_NUMERIC, "C");
    ASSERT_EQ(result, 0) << varnex::errorStr();
    EXPECT_EQ(db.rows(kValues), kSampleValues);
}

TEST_F(ConvertFirebirdTest, IntrbaseRunsTheSameConversion) {
    db.addSampleForms();
    ASSERT_EQ(convert("INTRBASE"), 0) << varnex::errorStr();
    EXPECT_EQ(db.rows(kLookupFields), kSampleFields);
}

TEST_F(ConvertFirebirdTest, CreatesOnlyTheNewTablesThatAreMissing) {
    const struct {
        const char* name;
        std::vector<std::string> existing;
    } cases[] = {
        {"neither", {}},
        {"REG_LOK18 only",
         {"create table REG_LOK18 (ID INTEGER NOT NULL PRIMARY KEY, FID INTEGER, CAPTION "
          "VARCHAR(250), NUM_ORDER INTEGER, WIDTH INTEGER, FIELD_NAME VARCHAR(250), FIELD_TYPE "
          "INTEGER, PARAMETER_TYPE INTEGER, COMPARE_TYPE VARCHAR(2), DEFAULT_VALUE "
          "VARCHAR(250), REFERENCE VARCHAR(250), REFERENCE_TYPE INTEGER, HIDDEN_FIELD INTEGER, "
          "INDEX_FIELD INTEGER, IN_VAR_NAME VARCHAR(250), OUT_VAR_NAME VARCHAR(250), "
          "KEPT_COLUMN INTEGER)",
          "insert into REG_LOK18 (ID, FID, CAPTION) values (100, null, 'stale')"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        varnextest::resetLibrary();
        LookupFormsDatabase fresh;
        fresh.addSampleForms();
        fresh.run(c.existing);
        ASSERT_EQ(varnex::DoIt(fresh.connectionString().c_str(), "FIREBIRD"), 0)
            << varnex::errorStr();
        EXPECT_EQ(fresh.rows(kLookupFields), kSampleFields);
        EXPECT_EQ(fresh.rows(kValues), kSampleValues);
        // An existing REG_LOK18 is kept as it is, columns of its own included.
        EXPECT_EQ(fresh.rows("select count(*) from RDB$RELATION_FIELDS where "
                             "RDB$RELATION_NAME = 'REG_LOK18' and RDB$FIELD_NAME = "
                             "'KEPT_COLUMN'"),
                  std::vector<std::string>{c.existing.empty() ? "0" : "1"});
        const auto keys = fresh.open()->foreignKeysOf("REG_LOK_VALUES");
        ASSERT_EQ(keys.size(), 1u);
        EXPECT_EQ(keys[0].name, "FK_REG_LOK_VALUES_1");
    }
}

TEST_F(ConvertFirebirdTest, EmptyFormListCreatesTheTablesAndDropsParametersAndResults) {
    ASSERT_EQ(convert(), 0) << varnex::errorStr();
    EXPECT_THAT(recordedProgress(), ElementsAre(0.0, 2.0, 4.0, 6.0, 8.0, 10.0, 100.0));
    EXPECT_TRUE(db.hasTable("REG_LOK18"));
    EXPECT_TRUE(db.hasTable("REG_LOK_VALUES"));
    EXPECT_FALSE(db.hasTable("REG_LOK12"));
    EXPECT_FALSE(db.hasTable("REG_LOK13"));
}

TEST_F(ConvertFirebirdTest, GeneratorThatNothingDependsOnStopsTheConversion) {
    db.addSampleForms();
    db.run({"create sequence GEN_REG_LOK18_ID"});
    EXPECT_EQ(convert(), 1);
    EXPECT_THAT(varnex::errorStr(), testing::StartsWith("\r\n\n"));
    EXPECT_THAT(varnex::errorStr(), EndsWith("\r\ncreate sequence GEN_REG_LOK18_ID\r\n\r\n#07"));
    EXPECT_THAT(recordedProgress(), ElementsAre(0.0, 2.0, 4.0, 6.0, 100.0));
    EXPECT_TRUE(db.hasTable("LOK_CITY"));
    EXPECT_TRUE(db.hasTable("REG_LOK12"));
}

TEST_F(ConvertFirebirdTest, GeneratorThatSomethingDependsOnIsUsedAsItIs) {
    db.addSampleForms();
    db.run({"create sequence GEN_REG_LOK18_ID", "alter sequence GEN_REG_LOK18_ID restart with 100",
            "create trigger REG_LOK7_BI for REG_LOK7 before insert as begin if (NEW.ID is null) "
            "then NEW.ID = gen_id(GEN_REG_LOK18_ID, 1); end"});
    ASSERT_EQ(convert(), 0) << varnex::errorStr();
    EXPECT_EQ(db.rows("select min(ID), max(ID) from REG_LOK18"),
              std::vector<std::string>{"101|108"});
    EXPECT_EQ(db.rows(kValues), kSampleValues);
}

TEST_F(ConvertFirebirdTest, SecondRunKeepsEverythingConverted) {
    db.addSampleForms();
    ASSERT_EQ(convert(), 0) << varnex::errorStr();
    const auto fields = db.rows("select * from REG_LOK18 order by ID");
    const auto values = db.rows("select * from REG_LOK_VALUES order by FID, REC_NUM");

    varnextest::resetLibrary();
    EXPECT_EQ(convert(), 0) << varnex::errorStr();
    EXPECT_EQ(varnex::errorStr(), "");
    EXPECT_EQ(db.rows("select * from REG_LOK18 order by ID"), fields);
    EXPECT_EQ(db.rows("select * from REG_LOK_VALUES order by FID, REC_NUM"), values);
    EXPECT_THAT(recordedProgress(), ElementsAre(0.0, 2.0, 4.0, 6.0, 8.0, 10.0, 55.0, 100.0, 100.0));
}

TEST_F(ConvertFirebirdTest, FormWithAFailedValueKeepsItsDataTableAndIsConvertedAgainLater) {
    db.addSampleForms();
    db.run({"alter table LOK_UNIT alter CAPTION type VARCHAR(300)",
            "insert into LOK_UNIT values (3, '" + std::string(260, 'w') + "')"});
    EXPECT_EQ(convert(), 1);
    EXPECT_THAT(varnex::errorStr(), HasSubstr("\r\ninsert into REG_LOK_VALUES (REC_NUM, FID, "
                                              "STR_VALUE, INT_VALUE, FLT_VALUE) values (2, 7, '" +
                                              std::string(260, 'w') + "', null, null)\r\n\r\n#15"));
    EXPECT_FALSE(db.hasTable("LOK_CITY"));
    EXPECT_TRUE(db.hasTable("LOK_UNIT"));
    EXPECT_TRUE(db.hasTable("REG_LOK12"));
    EXPECT_TRUE(db.hasTable("REG_LOK13"));
    // The other values of the form did reach the new table.
    EXPECT_EQ(db.rows("select count(*) from REG_LOK_VALUES where FID = 7"),
              std::vector<std::string>{"2"});

    // Once the value fits, the next run converts that form again and keeps the other.
    db.run({"update LOK_UNIT set CAPTION = 'long' where CODE = 3"});
    varnextest::resetLibrary();
    ASSERT_EQ(convert(), 0) << varnex::errorStr();
    EXPECT_FALSE(db.hasTable("LOK_UNIT"));
    EXPECT_FALSE(db.hasTable("REG_LOK12"));
    EXPECT_EQ(db.rows("select FID, count(*) from REG_LOK18 group by FID"),
              (std::vector<std::string>{"1|6", "2|2"}));
    EXPECT_EQ(db.rows("select f.FID, count(*) from REG_LOK_VALUES v join REG_LOK18 f on f.ID "
                      "= v.FID group by f.FID"),
              (std::vector<std::string>{"1|18", "2|6"}));
}

TEST_F(ConvertFirebirdTest, MissingDataTableIsReportedAndTheOldTablesStay) {
    db.addSampleForms();
    db.run({"insert into REG_LOK7 values (3, 'LOK_GONE', 'gone')",
            "insert into REG_LOK_STR values (31, 3, 1, 'x', 1, 'X', null, null, null, null)"});
    EXPECT_EQ(convert(), 1);
    EXPECT_THAT(varnex::errorStr(), EndsWith("\r\nselect * from LOK_GONE\r\n#16"));
    EXPECT_EQ(db.rows("select FIELD_TYPE from REG_LOK18 where FID = 3"),
              std::vector<std::string>{"3"});
    EXPECT_FALSE(db.hasTable("LOK_CITY"));
    EXPECT_TRUE(db.hasTable("REG_LOK12"));
    EXPECT_THAT(recordedProgress(),
                ElementsAre(0.0, 2.0, 4.0, 6.0, 8.0, 10.0, 40.0, 70.0, 100.0, 100.0));
}

TEST_F(ConvertFirebirdTest, DataTableThatCannotBeDroppedGivesADropEntry) {
    db.addSampleForms();
    db.run({"create view UNIT_VIEW as select CODE from LOK_UNIT"});
    EXPECT_EQ(convert(), 1);
    EXPECT_THAT(varnex::errorStr(), EndsWith("\r\n\nSafeDropTable/#04\r\nDROP TABLE LOK_UNIT\r\n"));
    EXPECT_THAT(varnex::errorStr(), testing::StartsWith("\r\n\n"));
    EXPECT_TRUE(db.hasTable("LOK_UNIT"));
    EXPECT_FALSE(db.hasTable("LOK_CITY"));
    // Every value reached the new tables, so the old parameter tables go.
    EXPECT_FALSE(db.hasTable("REG_LOK12"));
    EXPECT_EQ(db.rows(kValues), kSampleValues);
}

TEST_F(ConvertFirebirdTest, ApostrophesInNamesReachTheirLookups) {
    db.run({"create table LOK_Q (\"O'K\" INTEGER)", "insert into LOK_Q values (5)",
            "insert into REG_LOK7 values (1, 'LOK_Q', null)",
            "insert into REG_LOK_STR values (1, 1, 1, null, 1, 'o''k', null, null, null, null)",
            "insert into REG_LOK12 values (1, 'O''K', 2, null, 'Kennedy''s')"});
    ASSERT_EQ(convert(), 0) << varnex::errorStr();
    // The parameter lookup finds its row by the name with the apostrophe; the probe of a
    // column name that needs quoting fails quietly and the copy finds the column by name.
    EXPECT_EQ(db.rows("select CAPTION, FIELD_NAME, FIELD_TYPE, IN_VAR_NAME from REG_LOK18"),
              std::vector<std::string>{"Kennedy's|O'K|2|O'K"});
    EXPECT_EQ(db.rows("select STR_VALUE, INT_VALUE from REG_LOK_VALUES"),
              std::vector<std::string>{"5|5"});
}

TEST_F(ConvertFirebirdTest, ConnectionThatCannotBeOpenedReturnsMinusOne) {
    varnex::SetProcPercent(37.0);
    recordedProgress().clear();
    const std::string missing =
        varnextest::sysdbaConnectionString("/nonexistent/folder/product.fdb");
    EXPECT_EQ(varnex::DoIt(missing.c_str(), "FIREBIRD"), varnex::kConnectionFailed);
    EXPECT_THAT(varnex::errorStr(), HasSubstr("/nonexistent/folder/product.fdb"));
    EXPECT_EQ(varnex::procPercent(), 37.0);
    EXPECT_TRUE(recordedProgress().empty());

    // The state stays usable.
    ASSERT_EQ(convert(), 0) << varnex::errorStr();
    EXPECT_EQ(varnex::errorStr(), "");
}

} // namespace
