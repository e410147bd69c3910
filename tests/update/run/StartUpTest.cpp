#include "update/run/StartUp.h"

#include "tests/update/run/StartFixture.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <vector>

namespace update::run {
namespace {

using platform::registry::Root;
using starttest::StartTest;

struct SwitchCase {
    const char* name;
    std::vector<std::string> arguments;
    bool expected;
};

void PrintTo(const SwitchCase& c, std::ostream* os) {
    *os << c.name;
}

class LogCheckErrorsSwitch : public testing::TestWithParam<SwitchCase> {};

TEST_P(LogCheckErrorsSwitch, IsSetByTheWordInAnyCase) {
    testsupport::RecordingHost host;
    RunContext context(host);
    context.LogCheckErrors = !GetParam().expected;
    context.ConnectionSaved = true;
    FormCreate(context, GetParam().arguments);
    EXPECT_EQ(context.LogCheckErrors, GetParam().expected);
    EXPECT_FALSE(context.ConnectionSaved);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, LogCheckErrorsSwitch,
    testing::Values(SwitchCase{"None", {}, false}, SwitchCase{"Upper", {"LOGCHECKERROR"}, true},
                    SwitchCase{"Lower", {"logcheckerror"}, true},
                    SwitchCase{"Mixed", {"LogCheckError"}, true},
                    SwitchCase{"AfterOthers", {"x", "-v", "logCheckErrOR"}, true},
                    SwitchCase{"WithSlash", {"/LOGCHECKERROR"}, false},
                    SwitchCase{"WithDash", {"-LOGCHECKERROR"}, false},
                    SwitchCase{"Plural", {"LOGCHECKERRORS"}, false},
                    SwitchCase{"Blank", {"LOGCHECKERROR "}, false}),
    [](const auto& tc) { return std::string(tc.param.name); });

TEST(DatabaseTypeList, OffersTheThreeTypesInOrder) {
    EXPECT_EQ(std::vector<std::string>(kDatabaseTypeList.begin(), kDatabaseTypeList.end()),
              (std::vector<std::string>{"FIREBIRD", "MSSQL", "ORACLE"}));
}

TEST_F(StartTest, ClosingBeforeAnyLoginWritesNothingAndClosesTheConnections) {
    FormCreate(context, {});
    auto con = std::make_unique<testsupport::ScriptedConnection>();
    auto ora = std::make_unique<testsupport::ScriptedConnection>();
    testsupport::ScriptedConnection* conRaw = con.get();
    testsupport::ScriptedConnection* oraRaw = ora.get();
    context.connections.conCX = std::move(con);
    context.connections.oraSession = std::move(ora);
    context.SavedConnectionString = "Provider=SQLOLEDB.1";
    context.SavedServerType = "MSSQL";

    FormCloseQuery(context);

    EXPECT_FALSE(std::filesystem::exists(storePath()));
    EXPECT_FALSE(conRaw->connected());
    EXPECT_FALSE(oraRaw->connected());
    EXPECT_EQ(context.connections.fibDB, nullptr);
}

TEST_F(StartTest, ClosingAfterALoginWritesTheSavedConnectionBack) {
    const std::string key = "SOFTWARE\\Korvel\\Catalex\\4.0\\BDConnection";
    putString(key, "TypeSQLServer", "ORACLE");
    ASSERT_EQ(platform::registry::WriteRegBinary(Root::LocalMachine, key, "ConnectionString",
                                                 "written by the login"),
              0);
    context.ConnectionSaved = true;
    // Bytes as the registry gave them: windows-1251 text, not UTF-8.
    context.SavedConnectionString = "Provider=LCPI.IBProvider.2;Location=/d/\xC1\xC4.fdb";
    context.SavedServerType = "FIREBIRD";

    FormCloseQuery(context);

    std::string connection, type;
    EXPECT_EQ(
        platform::registry::ReadRegBinary(Root::LocalMachine, key, "ConnectionString", connection),
        0);
    EXPECT_EQ(platform::registry::ReadRegString(Root::LocalMachine, key, "TypeSQLServer", type), 0);
    EXPECT_EQ(connection, context.SavedConnectionString);
    EXPECT_EQ(type, "FIREBIRD");
}

TEST_F(StartTest, ClosingAfterALoginWithNothingSavedWritesEmptyValues) {
    const std::string key = "SOFTWARE\\Korvel\\Catalex\\4.0\\BDConnection";
    context.ConnectionSaved = true;

    FormCloseQuery(context);

    std::string connection = "unchanged", type = "unchanged";
    EXPECT_EQ(
        platform::registry::ReadRegBinary(Root::LocalMachine, key, "ConnectionString", connection),
        0);
    EXPECT_EQ(platform::registry::ReadRegString(Root::LocalMachine, key, "TypeSQLServer", type), 0);
    EXPECT_EQ(connection, "");
    EXPECT_EQ(type, "");
}

// A connection whose close fails must not keep the others open.
class FailingClose : public testsupport::ScriptedConnection {
public:
    void close() override { throw platform::db::DbError("connection lost"); }
};

TEST_F(StartTest, ClosingGoesOnPastAConnectionThatFailsToClose) {
    context.connections.fibDB = std::make_unique<FailingClose>();
    auto ora = std::make_unique<testsupport::ScriptedConnection>();
    testsupport::ScriptedConnection* oraRaw = ora.get();
    context.connections.oraSession = std::move(ora);

    EXPECT_NO_THROW(FormCloseQuery(context));
    EXPECT_FALSE(oraRaw->connected());
}

TEST_F(StartTest, DestroyingReleasesTheConfigurationDocument) {
    context.ConfigDocument.emplace(platform::xml::Document::parse("<ROOT/>", "updcfg.xml"));
    FormDestroy(context);
    EXPECT_FALSE(context.ConfigDocument.has_value());
}

} // namespace
} // namespace update::run
