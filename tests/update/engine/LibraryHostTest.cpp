#include "update/engine/LibraryHost.h"

#include "tests/update/engine/EngineFixture.h"
#include "update/run/RunConnection.h"
#include "update/run/RunLog.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

using enginetest::EngineTest;
using enginetest::scalar;
using update::engine::ExecuteLibrary;

std::string library(const std::string& name) {
    return std::string(TEST_LIBRARY_DIR) + "/lib" + name + ".so";
}

class LibraryHostTest : public EngineTest {
protected:
    LibraryHostTest() {
        host.setBarMaximum(100);
        context.CurrentItemShare = 20;
        context.ItemStartPosition = 30;
    }
    // The run log entry's error lines (between "Ошибка:" and the separator).
    std::vector<std::string> errorLines() const {
        const auto lines = log();
        const auto from = std::find(lines.begin(), lines.end(), "Ошибка:");
        const auto to =
            std::find(lines.begin(), lines.end(), std::string(update::run::kLogSeparator));
        if (from == lines.end() || to == lines.end()) {
            return {};
        }
        return std::vector<std::string>(from + 1, to);
    }
    testsupport::ScopedEnv argsEnv{"TESTLIB_ARGS_FILE", (programDir / "args.txt").string()};
};

TEST_F(LibraryHostTest, AGoodLibraryMovesTheBarAndGetsTheRunsValues) {
    useFirebird();
    auto& connection = update::run::reopenRunConnection(context);
    connection.beginTransaction();
    connection.execute("INSERT INTO BO_VERSION VALUES (5, 'x', 'y', NULL, NULL)");
    host.setStatusCaption("Конвертация");

    EXPECT_TRUE(ExecuteLibrary(context, library("testconv_good")));
    EXPECT_EQ(host.barPositionHistory(), (std::vector<int>{30, 40, 50}));
    EXPECT_EQ(testsupport::readFile(programDir / "args.txt"),
              context.UpdaterState.RunConnectionString + "\nFIREBIRD\n");
    EXPECT_TRUE(log().empty());
    EXPECT_FALSE(context.connections.fibDB->connected()) << "the library has the database";
    auto c = inspect();
    EXPECT_EQ(scalar(*c, "SELECT COUNT(*) FROM BO_VERSION WHERE ID = 5"), "1")
        << "the open transaction was committed before closing";
}

TEST_F(LibraryHostTest, ProgressBeyondTheShareIsClampedToTheBar) {
    useScripted("MSSQL");
    testsupport::ScopedEnv percents("TESTLIB_PERCENTS", "150,1000,-1000");
    EXPECT_TRUE(ExecuteLibrary(context, library("testconv_good")));
    EXPECT_EQ(host.barPositionHistory(), (std::vector<int>{60, 100, 0}));
}

TEST_F(LibraryHostTest, FailuresAreLoggedWithTheLibraryAsSource) {
    useScripted("ORACLE");
    testsupport::writeFile(programDir / "notalib.so", "this is text");
    const struct {
        std::string path;
        std::optional<std::string> error; // TESTLIB_ERROR
        std::vector<std::string> expected;
        bool calledDoIt;
    } cases[] = {
        {library("testconv_fails"),
         "Нет таблицы\r\nвторая строка",
         {"Нет таблицы", "вторая строка"},
         true},
        {library("testconv_fails"), std::nullopt, {""}, true},
        {library("testconv_no_error_text"),
         "ignored",
         {"Ошибка не определена. В библиотеке не найдена функция GetErrorStr"},
         true},
        {library("testconv_no_doit"),
         std::nullopt,
         {"В библиотеке не найдена функция DoIt"},
         false},
        {library("testconv_no_callback"),
         std::nullopt,
         {"Ошибка инициализации библиотеки:", "В библиотеке не найдена функция SetCallBackPercent"},
         false},
        {library("testconv_connection_fails"),
         "I/O error during \"open\" operation",
         {"При работе библиотеки произошло исключение:", "I/O error during \"open\" operation"},
         true},
        {library("testconv_connection_fails"),
         std::nullopt,
         {"При работе библиотеки произошло исключение:", "неопределенная ошибка"},
         true},
        {(programDir / "notalib.so").string(), std::nullopt, {"Ошибка загрузки библиотеки"}, false},
        {(programDir / "missing.so").string(), std::nullopt, {"Ошибка загрузки библиотеки"}, false},
    };
    for (const auto& c : cases) {
        host.clearLog();
        std::filesystem::remove(programDir / "args.txt");
        std::optional<testsupport::ScopedEnv> error;
        if (c.error) {
            error.emplace("TESTLIB_ERROR", *c.error);
        } else {
            error.emplace("TESTLIB_ERROR");
        }
        EXPECT_FALSE(ExecuteLibrary(context, c.path)) << c.path;
        EXPECT_EQ(errorLines(), c.expected) << c.path;
        const auto lines = log();
        ASSERT_GE(lines.size(), 3u);
        EXPECT_EQ(lines[2], "Источник:" + c.path);
        EXPECT_EQ(std::filesystem::exists(programDir / "args.txt"), c.calledDoIt) << c.path;
    }
}

TEST_F(LibraryHostTest, AnErrorOfTheHostDuringTheCallIsReportedAfterIt) {
    useScripted("MSSQL");
    host.onProcessMessages = [] { throw std::runtime_error("the window is gone"); };
    EXPECT_FALSE(ExecuteLibrary(context, library("testconv_good")));
    EXPECT_EQ(errorLines(), (std::vector<std::string>{"При работе библиотеки произошло исключение:",
                                                      "the window is gone"}));
    EXPECT_EQ(host.barPositionHistory(), (std::vector<int>{30})) << "no call after the error";
}

} // namespace
