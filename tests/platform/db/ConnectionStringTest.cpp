#include "platform/db/ConnectionString.h"

#include "platform/db/FirebirdLocation.h"
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
        {"Provider=SQLOLEDB.1;Data Source=SRV", "SQLOLEDB.1"},
        {"Provider=OraOLEDB.Oracle.1;Data Source=ORCL", "OraOLEDB.Oracle.1"},
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
    try {
        openConnection("Provider=SQLOLEDB.1;Data Source=SRV");
    } catch (const DbError& e) {
        EXPECT_NE(std::string(e.what()).find("not available in this build"), std::string::npos);
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

TEST(FirebirdLocation, ServerPartBeforeTheFirstColon) {
    struct Case {
        const char* location;
        bool onServer;
        const char* server;
        const char* path;
    };
    const Case cases[] = {
        {"/var/db/cx.fdb", false, "", "/var/db/cx.fdb"},
        {"cx.fdb", false, "", "cx.fdb"},
        {"srv:/var/db/cx.fdb", true, "srv", "/var/db/cx.fdb"},
        {"srv/3051:/var/db/cx.fdb", true, "srv/3051", "/var/db/cx.fdb"},
        {"SRV:D:\\DB\\CX.FDB", true, "SRV", "D:\\DB\\CX.FDB"},
        {"10.0.0.5:employee", true, "10.0.0.5", "employee"},
        {"/var/db/odd:name.fdb", false, "", "/var/db/odd:name.fdb"},
        {"data/odd:name.fdb", false, "", "data/odd:name.fdb"},
        {":/var/db/cx.fdb", false, "", ":/var/db/cx.fdb"},
    };
    for (const auto& c : cases) {
        const FirebirdLocation l = parseFirebirdLocation(c.location);
        EXPECT_EQ(l.onServer, c.onServer) << c.location;
        EXPECT_EQ(l.server, c.server) << c.location;
        EXPECT_EQ(l.path, c.path) << c.location;
    }
}
