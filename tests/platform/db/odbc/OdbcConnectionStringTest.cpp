// The product's MSSQL and Oracle connection strings made into ODBC connection strings.

#include "platform/db/odbc/OdbcConnectionString.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <optional>

using namespace platform::db;
using namespace platform::db::odbc;

namespace {

// The variables that change the mapping, unset for each test.
class OdbcMapping : public ::testing::Test {
protected:
    testsupport::ScopedEnv msSqlDriver{"UPDATE_ODBC_MSSQL_DRIVER"};
    testsupport::ScopedEnv oracleDriver{"UPDATE_ODBC_ORACLE_DRIVER"};
    testsupport::ScopedEnv msSqlOptions{"UPDATE_ODBC_MSSQL_OPTIONS"};
    testsupport::ScopedEnv oracleOptions{"UPDATE_ODBC_ORACLE_OPTIONS"};
    testsupport::ScopedEnv timeout{"UPDATE_ODBC_LOGIN_TIMEOUT"};
};

std::string errorOf(Provider provider, const std::string& connectionString) {
    try {
        odbcLogin(provider, connectionString);
    } catch (const DbError& e) {
        return e.what();
    }
    return "<no error>";
}

} // namespace

TEST(OdbcBraces, ValuesThatWouldEndOrOpenAnItemAreBraced) {
    const std::pair<const char*, const char*> cases[] = {
        {"plain", "plain"},     {"", ""},
        {"a;b}c", "{a;b}}c}"},  {"{x}", "{{x}}}"},
        {" lead", "{ lead}"},   {"trail ", "{trail }"},
        {"in side", "in side"}, {"a=b", "a=b"},
        {"Пароль", "Пароль"},   {"}}", "{}}}}}"},
    };
    for (const auto& [value, braced] : cases) {
        EXPECT_EQ(braceOdbcValue(value), braced) << value;
    }
}

TEST_F(OdbcMapping, MsSqlStringsGoToFreeTds) {
    const std::pair<const char*, const char*> cases[] = {
        // What the database page writes for the Windows account: FreeTDS's Kerberos login.
        {"Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;"
         "Data Source=SRV;Initial Catalog=CAT;Use Procedure for Prepare=1;Auto Translate=True;"
         "Packet Size=4096;Use Encryption for Data=False;"
         "Tag with column collation when possible=False",
         "DRIVER=FreeTDS;SERVER=SRV;DATABASE=CAT;Trusted_Connection=Yes;TDS_Version=7.4;"
         "ClientCharset=UTF-8;PacketSize=4096"},
        // A login; the password holds what would end the item or the braces.
        {"Provider=SQLOLEDB.1;User Id=sa;Password=\"a;b}c\";Persist Security Info=True;"
         "Data Source=db.example,1444;Initial Catalog=CX",
         "DRIVER=FreeTDS;SERVER=db.example,1444;DATABASE=CX;UID=sa;PWD={a;b}}c};"
         "TDS_Version=7.4;ClientCharset=UTF-8"},
        // A named instance; an empty password is no password.
        {"Provider=SQLOLEDB.1;User Id=u;Password=;Data Source=SRV\\SQLEXPRESS",
         "DRIVER=FreeTDS;SERVER=SRV\\SQLEXPRESS;UID=u;TDS_Version=7.4;ClientCharset=UTF-8"},
        // This machine, by either of its names.
        {"Provider=SQLOLEDB.1;Data Source=(local);Integrated Security=SSPI",
         "DRIVER=FreeTDS;SERVER=localhost;Trusted_Connection=Yes;TDS_Version=7.4;"
         "ClientCharset=UTF-8"},
        {"Provider=SQLOLEDB.1;Data Source=.\\SQLEXPRESS;User Id=u",
         "DRIVER=FreeTDS;SERVER=localhost\\SQLEXPRESS;UID=u;TDS_Version=7.4;ClientCharset=UTF-8"},
        // Keys FreeTDS has an equivalent for; the Windows account ignores user and password.
        {"Provider=SQLOLEDB.1;Data Source=SRV;Integrated Security=SSPI;User Id=x;Password=y;"
         "Application Name=update;Workstation ID=WS1;Current Language=russian;"
         "Use Encryption for Data=True",
         "DRIVER=FreeTDS;SERVER=SRV;Trusted_Connection=Yes;TDS_Version=7.4;ClientCharset=UTF-8;"
         "APP=update;WSID=WS1;Language=russian;Encrypt=yes"},
    };
    for (const auto& [product, odbc] : cases) {
        const OdbcLogin login = odbcLogin(Provider::MsSql, product);
        EXPECT_EQ(login.connectionString, odbc) << product;
        EXPECT_EQ(login.loginTimeout, kDefaultLoginTimeout) << product;
    }
    EXPECT_EQ(odbcLogin(Provider::MsSql, cases[1].first).secrets,
              std::vector<std::string>{"a;b}c"});
}

TEST_F(OdbcMapping, TheSiteNamesDriversAndAddsOptions) {
    testsupport::ScopedEnv driver("UPDATE_ODBC_MSSQL_DRIVER", "ODBC Driver 18 for SQL Server");
    testsupport::ScopedEnv options("UPDATE_ODBC_MSSQL_OPTIONS", "TDS_Version=7.3;Encryption=off");
    EXPECT_EQ(
        odbcLogin(Provider::MsSql, "Provider=SQLOLEDB.1;Data Source=S;User Id=u").connectionString,
        "DRIVER=ODBC Driver 18 for SQL Server;SERVER=S;UID=u;TDS_Version=7.4;"
        "ClientCharset=UTF-8;TDS_Version=7.3;Encryption=off");

    const std::string oracle =
        "Provider=OraOLEDB.Oracle.1;Password=tiger;Persist Security Info=True;User ID=scott;"
        "Data Source=ORCL";
    EXPECT_EQ(errorOf(Provider::Oracle, oracle),
              "no ODBC driver for Oracle is configured: set UPDATE_ODBC_ORACLE_DRIVER to the "
              "name of the site's Oracle driver in odbcinst.ini");
    testsupport::ScopedEnv oracleDriverSet("UPDATE_ODBC_ORACLE_DRIVER", "Oracle 19 ODBC driver");
    const OdbcLogin login = odbcLogin(Provider::Oracle, oracle);
    EXPECT_EQ(login.connectionString, "DRIVER=Oracle 19 ODBC driver;DBQ=ORCL;UID=scott;PWD=tiger");
    EXPECT_EQ(login.secrets, std::vector<std::string>{"tiger"});
}

TEST_F(OdbcMapping, StringsThatNameNoDatabaseAreRefusedWithoutTheirPassword) {
    const std::string msSql = errorOf(Provider::MsSql, "Provider=SQLOLEDB.1;Password=secret1");
    EXPECT_NE(msSql.find("names no server"), std::string::npos) << msSql;
    testsupport::ScopedEnv driver("UPDATE_ODBC_ORACLE_DRIVER", "Oracle");
    const std::string oracle =
        errorOf(Provider::Oracle, "Provider=OraOLEDB.Oracle.1;User Id=u;Password=secret1");
    EXPECT_NE(oracle.find("names no network service"), std::string::npos) << oracle;
    for (const std::string& message : {msSql, oracle}) {
        EXPECT_EQ(message.find("secret1"), std::string::npos) << message;
    }
}

TEST_F(OdbcMapping, LoginTimeOutFromTheSiteOrTheString) {
    const std::string plain = "Provider=SQLOLEDB.1;Data Source=S";
    const std::string withTimeout = plain + ";Connect Timeout=7";
    EXPECT_EQ(odbcLogin(Provider::MsSql, plain).loginTimeout, std::chrono::seconds(15));
    EXPECT_EQ(odbcLogin(Provider::MsSql, withTimeout).loginTimeout, std::chrono::seconds(7));
    {
        testsupport::ScopedEnv site("UPDATE_ODBC_LOGIN_TIMEOUT", "3");
        EXPECT_EQ(odbcLogin(Provider::MsSql, withTimeout).loginTimeout, std::chrono::seconds(3));
    }
    for (const char* bad : {"0", "-1", "soon", "3601"}) {
        testsupport::ScopedEnv site("UPDATE_ODBC_LOGIN_TIMEOUT", bad);
        const std::string message = errorOf(Provider::MsSql, plain);
        EXPECT_NE(message.find("$UPDATE_ODBC_LOGIN_TIMEOUT must be a number of seconds"),
                  std::string::npos)
            << message;
    }
    EXPECT_NE(errorOf(Provider::MsSql, plain + ";Connect Timeout=x").find("Connect Timeout"),
              std::string::npos);
}
