#include "tests/support/ScriptedConnection.h"
#include "tests/varnex/ProgressRecorder.h"
#include "tests/varnex/ScriptedLibrary.h"
#include "varnex/Convert.h"
#include "varnex/DoIt.h"

#include <algorithm>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using testing::ElementsAre;
using testing::EndsWith;
using testsupport::ScriptedConnection;

class ConvertMSSQLTest : public testing::Test {
protected:
    void SetUp() override {
        varnextest::resetLibrary();
        varnextest::scriptOneForm(db);
    }
    void TearDown() override { varnex::resetState(); }

    ScriptedConnection db;
};

TEST_F(ConvertMSSQLTest, ConvertsWithIdentityNumberingAndDropsInATransaction) {
    db.foreignKeys = {{"FK_B_A", "LOK_B", "LOK_A"}};
    EXPECT_EQ(varnex::ConvertMSSQL(db), 0);
    EXPECT_EQ(varnex::errorStr(), "");
    EXPECT_THAT(
        db.journal,
        ElementsAre(
            "tables",
            "exec: create table REG_LOK18 (ID INT IDENTITY(1, 1), FID INT, CAPTION VARCHAR(250), "
            "NUM_ORDER INT, WIDTH INT, FIELD_NAME VARCHAR(250), FIELD_TYPE INT, PARAMETER_TYPE "
            "INT, COMPARE_TYPE VARCHAR(2), DEFAULT_VALUE VARCHAR(250), REFERENCE VARCHAR(250), "
            "REFERENCE_TYPE INT, HIDDEN_FIELD INT, INDEX_FIELD INT, IN_VAR_NAME VARCHAR(250), "
            "OUT_VAR_NAME VARCHAR(250) )",
            "exec: alter table REG_LOK18 add constraint PK_REG_LOK18 primary key (ID)",
            "exec: alter table REG_LOK18 add constraint FK_REG_LOK18_1 foreign key (FID) "
            "references REG_LOK7 (ID)",
            "exec: create table REG_LOK_VALUES (REC_NUM INT NOT NULL, FID INT, STR_VALUE "
            "VARCHAR(250), INT_VALUE INTEGER, FLT_VALUE FLOAT(53) )",
            "exec: alter table REG_LOK_VALUES add constraint FK_REG_LOK_VALUES_1 foreign key "
            "(FID) references REG_LOK18 (ID)",
            "exec: delete from REG_LOK_VALUES", "exec: delete from REG_LOK18",
            "query: select * from REG_LOK7",
            "query: select * from REG_LOK_STR where FID=1 order by SORT_ORDER",
            "query: select NAME from LOK_A where 1=2",
            "query: select * from REG_LOK12 where FID=1 and upper(VAR_NAME) = 'NAME'",
            "query: select * from REG_LOK13 where (FID=1) and (upper(RES_FIELD) = 'NAME')", "begin",
            "exec: insert into REG_LOK18 (FID, CAPTION, NUM_ORDER, WIDTH, FIELD_NAME, "
            "FIELD_TYPE, PARAMETER_TYPE, COMPARE_TYPE, DEFAULT_VALUE, REFERENCE, "
            "REFERENCE_TYPE, HIDDEN_FIELD, INDEX_FIELD, IN_VAR_NAME, OUT_VAR_NAME) values (1, "
            "'Имя', 1, 10, 'NAME', 3, 0, '', '', '', 0, 0, 0, '', '')",
            "query: select top 1 ID from REG_LOK18 order by ID desc", "commit",
            "query: select * from LOK_A",
            "exec: insert into REG_LOK_VALUES (REC_NUM, FID, STR_VALUE, INT_VALUE, FLT_VALUE) "
            "values (0, 5, 'a''b', null, null)",
            "exec: insert into REG_LOK_VALUES (REC_NUM, FID, STR_VALUE, INT_VALUE, FLT_VALUE) "
            "values (1, 5, '7', 7, 7)",
            "begin", "fk of: LOK_A", "fk to: LOK_A",
            "exec: ALTER TABLE LOK_B DROP CONSTRAINT FK_B_A", "exec: DROP TABLE LOK_A", "commit"));
}

TEST_F(ConvertMSSQLTest, ProgressGoesStraightToTenAfterTheDeletes) {
    varnextest::useScriptedConnection(db);
    EXPECT_EQ(varnex::DoIt("Provider=SQLOLEDB.1;User ID=sa;", "MSSQL"), 0) << varnex::errorStr();
    EXPECT_THAT(varnextest::recordedProgress(), ElementsAre(0.0, 2.0, 4.0, 10.0, 100.0, 100.0));
}

TEST_F(ConvertMSSQLTest, DropThatFailsIsRolledBackWithoutAnEntry) {
    db.foreignKeys = {{"FK_B_A", "LOK_B", "LOK_A"}};
    db.fail("DROP TABLE LOK_A", "the table is in use");
    EXPECT_EQ(varnex::ConvertMSSQL(db), 0);
    EXPECT_EQ(varnex::errorStr(), "");
    EXPECT_THAT(db.journal, testing::IsSupersetOf({"exec: ALTER TABLE LOK_B DROP CONSTRAINT "
                                                   "FK_B_A",
                                                   "exec: DROP TABLE LOK_A"}));
    EXPECT_EQ(db.journal.back(), "rollback");
}

TEST_F(ConvertMSSQLTest, NeverDropsParametersAndResults) {
    EXPECT_EQ(varnex::ConvertMSSQL(db), 0);
    for (const auto& sql : db.statements()) {
        EXPECT_EQ(sql.find("DROP TABLE REG_LOK1"), std::string::npos) << sql;
    }
}

TEST_F(ConvertMSSQLTest, EachFailingStepGivesItsTag) {
    const struct {
        const char* failing;
        std::string entryEnd;
        std::int32_t result;
        bool dataTableDropped;
    } cases[] = {
        {"create table REG_LOK18", "\r\n#01", 1, false},
        {"PK_REG_LOK18", "primary key (ID)\r\n\r\n#02", 1, false},
        {"FK_REG_LOK18_1", "\r\n#03", 1, false},
        {"create table REG_LOK_VALUES", "\r\n#04", 1, false},
        {"FK_REG_LOK_VALUES_1", "\r\n#05", 1, false},
        {"delete from REG_LOK_VALUES", "\r\ndelete from REG_LOK_VALUES\r\n\r\n#06", 1, false},
        {"delete from REG_LOK18", "\r\ndelete from REG_LOK18\r\n\r\n#06", 1, false},
        {"from REG_LOK12", "upper(VAR_NAME) = 'NAME'\r\n#07", 0, false},
        {"from REG_LOK13", "(upper(RES_FIELD) = 'NAME')\r\n#08", 0, false},
        {"begin", "\r\n\nfailed here\r\n#09", 1, false},
        {"insert into REG_LOK18", "'', '')\r\n\r\n#10", 1, false},
        {"select top 1", "\r\nselect top 1 ID from REG_LOK18 order by ID desc\r\n#10", 1, false},
        {"insert into REG_LOK_VALUES", "(1, 5, '7', 7, 7)\r\n\r\n#11", 0, false},
        {"select * from LOK_A", "\r\nselect * from LOK_A\r\n#12", 0, false},
        {"from REG_LOK_STR", "order by SORT_ORDER\r\n#13", 0, false},
        {"fk of: LOK_A", "", 0, false},
        {"select * from REG_LOK7", "\r\nselect * from REG_LOK7\r\n#16", 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failing);
        varnextest::resetLibrary();
        ScriptedConnection failing;
        varnextest::scriptOneForm(failing);
        failing.fail(c.failing, "failed here");
        EXPECT_EQ(varnex::ConvertMSSQL(failing), c.result);
        EXPECT_THAT(varnex::errorStr(), EndsWith(c.entryEnd));
        if (c.entryEnd.empty()) {
            EXPECT_EQ(varnex::errorStr(), "");
        } else {
            EXPECT_THAT(varnex::errorStr(), testing::StartsWith("\r\n\nfailed here"));
        }
        const auto statements = failing.statements();
        EXPECT_EQ(std::count(statements.begin(), statements.end(), "DROP TABLE LOK_A"),
                  c.dataTableDropped ? 1 : 0);
    }
}

TEST_F(ConvertMSSQLTest, TableListFailureIsTheListingEntry) {
    db.fail("tables", "no catalogue");
    EXPECT_EQ(varnex::ConvertMSSQL(db), 1);
    EXPECT_EQ(varnex::errorStr(), "no catalogue\r\nGetTableNames()");
}

TEST_F(ConvertMSSQLTest, BeginOfTheDropFailingIsTagFourteen) {
    // The column's transaction begins; the drop's does not.
    db.answer("select * from REG_LOK_STR", {{"FID"}, {}, {}});
    db.fail("begin", "no transaction");
    EXPECT_EQ(varnex::ConvertMSSQL(db), 1);
    EXPECT_EQ(varnex::errorStr(), "\r\n\nno transaction\r\n#14");
}

} // namespace
