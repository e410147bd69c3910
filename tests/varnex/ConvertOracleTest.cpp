#include "tests/support/ScriptedConnection.h"
#include "tests/varnex/ProgressRecorder.h"
#include "tests/varnex/ScriptedLibrary.h"
#include "varnex/Convert.h"
#include "varnex/DoIt.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using testing::ElementsAre;
using testing::EndsWith;
using testing::HasSubstr;
using testsupport::ScriptedConnection;

const char* const kOracleString = "Provider=OraOLEDB.Oracle.1;Data Source=PRODUCT;User ID= scott "
                                  ";Password=tiger;";

class ConvertOracleTest : public testing::Test {
protected:
    void SetUp() override {
        varnextest::resetLibrary();
        varnextest::scriptOneForm(db);
        varnextest::useScriptedConnection(db);
    }
    void TearDown() override { varnex::resetState(); }

    ScriptedConnection db;
};

TEST_F(ConvertOracleTest, ConvertsWithTheSequenceAndTriggerOfTheConnectionsOwner) {
    db.answer("TABLE_NAME='LOK_A'", {{"TRIGGER_NAME"}, {}, {{"LOK_A_BI"}}});
    db.answer("(TABLE_NAME='REG_LOK12') or", {{"TRIGGER_NAME"}, {}, {{"REG_LOK12_BI"}}});
    EXPECT_EQ(varnex::DoIt(kOracleString, "ORACLE"), 0) << varnex::errorStr();
    EXPECT_THAT(varnextest::recordedProgress(),
                ElementsAre(0.0, 2.0, 4.0, 6.0, 8.0, 10.0, 100.0, 100.0));
    EXPECT_THAT(
        db.statements(),
        ElementsAre(
            "create table REG_LOK18 (ID NUMBER NOT NULL, FID NUMBER, CAPTION VARCHAR2(250), "
            "NUM_ORDER NUMBER, WIDTH NUMBER, FIELD_NAME VARCHAR2(250), FIELD_TYPE NUMBER, "
            "PARAMETER_TYPE NUMBER, COMPARE_TYPE VARCHAR2(2), DEFAULT_VALUE VARCHAR2(250), "
            "REFERENCE VARCHAR2(250), REFERENCE_TYPE NUMBER, HIDDEN_FIELD NUMBER, INDEX_FIELD "
            "NUMBER, IN_VAR_NAME VARCHAR2(250) , OUT_VAR_NAME VARCHAR2(250) )",
            "alter table REG_LOK18 add constraint PK_REG_LOK18 primary key (ID)",
            "alter table REG_LOK18 add constraint FK_REG_LOK18_1 foreign key (FID) references "
            "REG_LOK7 (ID)",
            "create table REG_LOK_VALUES (REC_NUM NUMBER NOT NULL, FID NUMBER, STR_VALUE "
            "VARCHAR2(250), INT_VALUE NUMBER, FLT_VALUE FLOAT )",
            "alter table REG_LOK_VALUES add constraint FK_REG_LOK_VALUES_1 foreign key (FID) "
            "references REG_LOK18 (ID)",
            "delete from REG_LOK_VALUES", "delete from REG_LOK18",
            "select * from SYS.ALL_SEQUENCES where (SEQUENCE_OWNER = 'SCOTT') and "
            "(SEQUENCE_NAME = 'GEN_REG_LOK18_ID')",
            "create sequence GEN_REG_LOK18_ID",
            "select * from SYS.ALL_TRIGGERS where (OWNER = 'SCOTT') and (TRIGGER_NAME = "
            "'REG_LOK18_BI0')",
            "create trigger SCOTT.REG_LOK18_BI0 before insert on REG_LOK18 \r\nreferencing NEW "
            "as NEW OLD as OLD for each row \r\nbegin\r\n  select GEN_REG_LOK18_ID.NEXTVAL into "
            ":NEW.ID from DUAL; \r\nend;",
            "select * from REG_LOK7", "select * from REG_LOK_STR where FID=1 order by SORT_ORDER",
            "select NAME from LOK_A where 1=2",
            "select * from REG_LOK12 where FID=1 and upper(VAR_NAME) = 'NAME'",
            "select * from REG_LOK13 where (FID=1) and (upper(RES_FIELD) = 'NAME')",
            "insert into REG_LOK18 (FID, CAPTION, NUM_ORDER, WIDTH, FIELD_NAME, FIELD_TYPE, "
            "PARAMETER_TYPE, COMPARE_TYPE, DEFAULT_VALUE, REFERENCE, REFERENCE_TYPE, "
            "HIDDEN_FIELD, INDEX_FIELD, IN_VAR_NAME, OUT_VAR_NAME) values (1, 'Имя', 1, 10, "
            "'NAME', 3, 0, '', '', '', 0, 0, 0, '', '')",
            "select max(ID) as ID from REG_LOK18", "select * from LOK_A",
            "insert into REG_LOK_VALUES (REC_NUM, FID, STR_VALUE, INT_VALUE, FLT_VALUE) values "
            "(0, 5, 'a''b', null, null)",
            "insert into REG_LOK_VALUES (REC_NUM, FID, STR_VALUE, INT_VALUE, FLT_VALUE) values "
            "(1, 5, '7', 7, 7)",
            "select * from SYS.ALL_TRIGGERS where (OWNER = 'SCOTT') and (TABLE_NAME='LOK_A')",
            "DROP TRIGGER LOK_A_BI", "DROP TABLE LOK_A",
            "select * from SYS.ALL_TRIGGERS where (OWNER = 'SCOTT') and "
            "((TABLE_NAME='REG_LOK12') or (TABLE_NAME='REG_LOK13'))",
            "DROP TRIGGER REG_LOK12_BI", "DROP TABLE REG_LOK12", "DROP TRIGGER REG_LOK12_BI",
            "DROP TABLE REG_LOK13"));
}

TEST_F(ConvertOracleTest, SequenceAndTriggerOfTheOwnerAreNotCreatedAgain) {
    db.answer("SEQUENCE_OWNER = 'SCOTT'", {{"SEQUENCE_NAME"}, {}, {{"GEN_REG_LOK18_ID"}}});
    db.answer("(OWNER = 'SCOTT') and (TRIGGER_NAME", {{"TRIGGER_NAME"}, {}, {{"REG_LOK18_BI0"}}});
    EXPECT_EQ(varnex::DoIt(kOracleString, "ORACLE"), 0) << varnex::errorStr();
    for (const auto& sql : db.statements()) {
        EXPECT_EQ(sql.rfind("create sequence", 0), std::string::npos) << sql;
        EXPECT_EQ(sql.rfind("create trigger", 0), std::string::npos) << sql;
    }
}

TEST_F(ConvertOracleTest, WithoutUserIdTheOwnerIsEmptyAndAnExistingSequenceStopsTheRun) {
    db.answer("SEQUENCE_OWNER = 'SCOTT'", {{"SEQUENCE_NAME"}, {}, {{"GEN_REG_LOK18_ID"}}});
    db.fail("create sequence", "name is already used by an existing object");
    EXPECT_EQ(varnex::DoIt("Provider=OraOLEDB.Oracle.1;Data Source=PRODUCT;", ""), 1);
    EXPECT_THAT(db.statements(), testing::Contains("select * from SYS.ALL_SEQUENCES where "
                                                   "(SEQUENCE_OWNER = '') and (SEQUENCE_NAME = "
                                                   "'GEN_REG_LOK18_ID')"));
    EXPECT_EQ(varnex::errorStr(), "\r\n\nname is already used by an existing object\r\ncreate "
                                  "sequence GEN_REG_LOK18_ID\r\n\r\n#07");
    EXPECT_THAT(varnextest::recordedProgress(), ElementsAre(0.0, 2.0, 4.0, 6.0, 100.0));
}

TEST_F(ConvertOracleTest, TriggerCreationFailureCarriesTheParsingSuffix) {
    db.fail("create trigger", "insufficient privileges");
    EXPECT_EQ(varnex::DoIt(kOracleString, "ORACLE"), 1);
    EXPECT_THAT(varnex::errorStr(), EndsWith("from DUAL; \r\nend;\r\n\r\n#09 False"));
    EXPECT_THAT(varnex::errorStr(),
                testing::StartsWith("\r\n\ninsufficient privileges\r\ncreate trigger SCOTT."));
}

TEST_F(ConvertOracleTest, OwnerQueryFailuresStopWithTheirTags) {
    const struct {
        const char* failing;
        const char* entryEnd;
    } cases[] = {
        {"SYS.ALL_SEQUENCES", "(SEQUENCE_NAME = 'GEN_REG_LOK18_ID')\r\n#08"},
        {"(TRIGGER_NAME = 'REG_LOK18_BI0')", "(TRIGGER_NAME = 'REG_LOK18_BI0')\r\n#10"},
        {"(TABLE_NAME='LOK_A')", "(TABLE_NAME='LOK_A')\r\n#18"},
        {"select max(ID)", "\r\nselect max(ID) as ID from REG_LOK18\r\n#14"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failing);
        varnextest::resetLibrary();
        ScriptedConnection failing;
        varnextest::scriptOneForm(failing);
        failing.fail(c.failing, "failed here");
        varnex::setUserName("SCOTT");
        EXPECT_EQ(varnex::ConvertOracle(failing), 1);
        EXPECT_THAT(varnex::errorStr(), EndsWith(c.entryEnd));
        // Neither a stop nor a kept data table lets the clean-up drop the old tables.
        for (const auto& sql : failing.statements()) {
            EXPECT_EQ(sql.find("DROP TABLE REG_LOK1"), std::string::npos);
        }
    }
}

TEST_F(ConvertOracleTest, OwnerWithAnApostropheStaysOneLiteral) {
    EXPECT_EQ(varnex::DoIt("Provider=OraOLEDB.Oracle.1;User ID=o'neil;", "ORACLE"), 0)
        << varnex::errorStr();
    EXPECT_THAT(db.statements(), testing::Contains(HasSubstr("(OWNER = 'O''NEIL')")));
    EXPECT_THAT(db.statements(), testing::Contains(testing::StartsWith(
                                     "create trigger O'NEIL.REG_LOK18_BI0 before insert")));
}

} // namespace
