#include "platform/db/ConnectionString.h"

#include "tests/platform/db/TestDatabase.h"

#include <gtest/gtest.h>

using namespace platform::db;

TEST(ConnectionString, ProviderNamesTheBackend) {
    struct Case {
        const char* connection;
        Provider expected;
    };
    const Case cases[] = {
        {"Provider=LCPI.IBProvider.2;User Id=U;Location=/db/cx.fdb;ctype=WIN1251",
         Provider::Firebird},
        {"provider=lcpi.ibprovider.2;Location=/db/cx.fdb", Provider::Firebird},
        {"  PROVIDER = LCPI.IBPROVIDER.2 ;", Provider::Firebird},
        {"Provider=SQLOLEDB.1;Integrated Security=SSPI;Data Source=SRV;Initial Catalog=CAT",
         Provider::MsSql},
        {"Data Source=SRV;Provider=sqloledb.1", Provider::MsSql},
        {"Provider=OraOLEDB.Oracle.1;User Id=SCOTT;Password=tiger;Data Source=ORCL",
         Provider::Oracle},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(providerOf(c.connection), c.expected) << c.connection;
    }
}

TEST(ConnectionString, MissingOrUnknownProviderIsNamed) {
    struct Case {
        const char* connection;
        const char* inMessage;
    };
    const Case cases[] = {
        {"", "no provider"},
        {"Location=/db/cx.fdb;User Id=U", "no provider"},
        {"Provider=;Location=/db/cx.fdb", "no provider"},
        {"Provider=MSDASQL.1;DSN=x", "MSDASQL.1"},
        {"Provider=LCPI.IBProvider.5;Location=/db/cx.fdb", "LCPI.IBProvider.5"},
        // A key that merely ends in "Provider" is not the provider.
        {"OtherProvider=SQLOLEDB.1", "no provider"},
    };
    for (const auto& c : cases) {
        try {
            providerOf(c.connection);
            ADD_FAILURE() << "no error for " << c.connection;
        } catch (const DbError& e) {
            EXPECT_NE(std::string(e.what()).find(c.inMessage), std::string::npos)
                << c.connection << " gave: " << e.what();
        }
    }
}

TEST(ConnectionString, ValuesByKeyIgnoringCaseKeepTheirOwnCase) {
    const std::string s = "Provider=LCPI.IBProvider.2;User ID = Admin ;Password=Se;Cr;"
                          "Location=srv:/Data/CX.fdb;Extended=\"a;b \"\"q\"\"\";Empty=";
    struct Case {
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"User Id", "Admin"},
        {"user id", "Admin"},
        {"USER ID", "Admin"},
        {"Password", "Se"}, // an unquoted value ends at the first ';'
        {"location", "srv:/Data/CX.fdb"},
        {"Extended", "a;b \"q\""}, // a quoted value may hold ';' and doubled quotes
        {"Empty", ""},
        {"Missing", ""},
        {"User", ""}, // no prefix matches
    };
    for (const auto& c : cases) {
        EXPECT_EQ(connectionValue(s, c.key), c.expected) << c.key;
    }
}

TEST(ConnectionString, OpeningReportsWhatIsMissing) {
    struct Case {
        const char* connection;
        const char* inMessage;
    };
    const Case cases[] = {
        {"Provider=LCPI.IBProvider.2;User Id=SYSDBA", "Location"},
        {"Provider=Nothing.1", "Nothing.1"},
    };
    for (const auto& c : cases) {
        try {
            openConnection(c.connection);
            ADD_FAILURE() << "no error for " << c.connection;
        } catch (const DbError& e) {
            EXPECT_NE(std::string(e.what()).find(c.inMessage), std::string::npos)
                << c.connection << " gave: " << e.what();
        }
    }
    // MSSQL and Oracle strings reach the ODBC backend (its own tests open real drivers).
    const testsupport::ScopedEnv noOracleDriver("UPDATE_ODBC_ORACLE_DRIVER");
    try {
        openConnection("Provider=OraOLEDB.Oracle.1;Data Source=ORCL");
        ADD_FAILURE() << "no error without an Oracle driver";
    } catch (const DbError& e) {
        EXPECT_NE(std::string(e.what()).find("set UPDATE_ODBC_ORACLE_DRIVER"), std::string::npos)
            << e.what();
    }
}

TEST(ConnectionString, FirebirdStringOpensTheEmbeddedDatabase) {
    dbtest::TestDatabase db;
    db.create()->execute("CREATE TABLE T (A INTEGER)");
    const auto c = openConnection("Provider=LCPI.IBProvider.2;User Id=SYSDBA;Password=secret;"
                                  "Persist Security Info=True;Location=" +
                                  db.path() + ";ctype=WIN1251;auto_commit=True");
    ASSERT_TRUE(c->connected());
    EXPECT_EQ(c->tableNames(), std::vector<std::string>{"T"});
}

TEST(ConnectionString, TheFirebirdCharacterSetComesFromCtype) {
    dbtest::TestDatabase db;
    db.create()->execute("CREATE TABLE T (NAME VARCHAR(10))");
    const std::string base = db.connectionString();
    // Without ctype and with "win1251" the connection speaks windows-1251; with UTF8 the engine
    // converts; the text reads back the same every way.
    for (const std::string& ctype :
         {std::string(), std::string(";ctype=win1251"), std::string(";ctype=UTF8")}) {
        const auto c = openConnection(base + ctype);
        c->execute("DELETE FROM T");
        c->execute("INSERT INTO T VALUES ('Ёлка')");
        EXPECT_EQ(c->query("SELECT NAME FROM T")->text(0), "Ёлка") << ctype;
        EXPECT_EQ(c->query("SELECT OCTET_LENGTH(NAME) FROM T")->text(0), "4") << ctype;
    }
    try {
        openConnection(base + ";ctype=KOI8R");
        ADD_FAILURE() << "an unsupported character set opened";
    } catch (const DbError& e) {
        EXPECT_NE(std::string(e.what()).find("KOI8R"), std::string::npos) << e.what();
    }
}

TEST(ConnectionString, CreatingTakesAFirebirdStringAndNeverOverwrites) {
    dbtest::TestDatabase db;
    db.create()->execute("CREATE TABLE KEEP (A INTEGER)");
    EXPECT_THROW(createFirebirdDatabase(db.connectionString()), DbError);
    EXPECT_EQ(db.open()->tableNames(), std::vector<std::string>{"KEEP"});
    EXPECT_THROW(createFirebirdDatabase("Provider=SQLOLEDB.1;Data Source=SRV"), DbError);
    EXPECT_THROW(createFirebirdDatabase("Provider=LCPI.IBProvider.2;User Id=SYSDBA"), DbError);
}

TEST(ConnectionString, WrittenValuesReadBackWhole) {
    const std::vector<ConnectionItem> items = {
        {"Provider", "OraOLEDB.Oracle.1"},
        {"Data Source", "ora"},
        {"Plain", "a b"},
        {"Separator", "a;b"},
        {"Double", "say \"hi\""},
        {"Single", "it's"},
        {"Leading", " x"},
        {"Trailing", "x "},
        {"Blanks", "  "},
        {"QuoteFirst", "\"x"},
        {"Equals", "a=b=c"},
        {"Empty", ""},
        {"Cyrillic", "Пароль;1"},
        {"Location", "/srv/db/My Base;old.fdb"},
    };
    const std::string written = makeConnectionString(items);
    EXPECT_EQ(parseConnectionString(written), items) << written;
    for (const ConnectionItem& item : items) {
        EXPECT_EQ(connectionValue(written, item.key), item.value) << item.key;
    }
    // Values that need no quotes stand as they are; the others in double quotes.
    EXPECT_EQ(quoteConnectionValue("ora"), "ora");
    EXPECT_EQ(quoteConnectionValue("a b"), "a b");
    EXPECT_EQ(quoteConnectionValue("a;\"b"), "\"a;\"\"b\"");
    EXPECT_EQ(makeConnectionString({{"Provider", "OraOLEDB.Oracle.1"},
                                    {"Data Source", "ora"},
                                    {"User Id", "cx"},
                                    {"Password", "pw"}}),
              "Provider=OraOLEDB.Oracle.1;Data Source=ora;User Id=cx;Password=pw");
    EXPECT_EQ(firebirdConnectionString("/db/a;b.fdb", "SYSDBA", "p w "),
              "Provider=LCPI.IBProvider.2;Location=\"/db/a;b.fdb\";User Id=SYSDBA;"
              "Password=\"p w \"");
}

TEST(ConnectionString, ItemsInTheirOrderWithoutTheNamelessOnes) {
    EXPECT_EQ(parseConnectionString(" A = 1 ;junk; B='x;''y' ;;C=\"\" ;D"),
              (std::vector<ConnectionItem>{{"A", "1"}, {"B", "x;'y"}, {"C", ""}}));
    EXPECT_TRUE(parseConnectionString("").empty());
}
