#include "update/run/ChildMessages.h"

#include "tests/support/CaseName.h"
#include "tests/support/RecordingHost.h"

#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

namespace update::run {
namespace {

using Lines = std::vector<std::string>;
using namespace std::string_literals;

const std::string kHyphens(48, '-');

// A run in the middle of the reference-group transfer.
class ChildMessages : public testing::Test {
protected:
    ChildMessages() : context(host) {
        host.setBarMinimum(0);
        host.setBarMaximum(100);
        host.setStatusCaption("импорт справочников");
        context.CurrentUpdateKind = kKindTransfer;
        context.CurrentChildCommand =
            "/opt/catalex/Utils/RefGroupImport.exe LOGIN=\"ivanov\" PASSWORD=\"secret\" "
            "WNDHANDLE=7";
        context.ChildSucceeded = true;
    }

    Lines entry(const std::string& source, const std::string& error) const {
        return {"/*",
                "Операция:" + host.statusCaption(),
                "Источник:" + source,
                "Ошибка:",
                error,
                kHyphens,
                "*/"};
    }

    const std::string maskedCommand =
        "/opt/catalex/Utils/RefGroupImport.exe LOGIN=\"ivanov\" PASSWORD=\"***\" WNDHANDLE=7";

    testsupport::RecordingHost host;
    RunContext context;
};

struct ProgressCase {
    double start;
    double share;
    std::int32_t percent;
    int expected;
};

class ProgressMessage : public testing::TestWithParam<ProgressCase> {};

TEST_P(ProgressMessage, MovesBarWithinFrame) {
    const ProgressCase& c = GetParam();
    testsupport::RecordingHost host;
    host.setBarMaximum(100);
    RunContext context(host);
    context.ItemStartPosition = c.start;
    context.CurrentItemShare = c.share;
    EXPECT_EQ(handleProgress(context, c.percent), 0);
    EXPECT_EQ(host.barPosition(), c.expected);
    EXPECT_EQ(host.processMessagesCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Frames, ProgressMessage,
    testing::Values(ProgressCase{30, 20, 50, 40}, ProgressCase{0, 100, 250, 100},
                    ProgressCase{0, 100, -10, 0}, ProgressCase{66, 33, 100, 99},
                    ProgressCase{0, 5, 50, 2}, // 2.5 goes to the even 2
                    ProgressCase{0, 7, 50, 4}, // 3.5 goes to the even 4
                    ProgressCase{50, 100, std::numeric_limits<std::int32_t>::max(), 100},
                    ProgressCase{50, 100, std::numeric_limits<std::int32_t>::min(), 0}),
    [](const auto& tc) {
        using testsupport::caseName;
        return "Start" + caseName(tc.param.start) + "Share" + caseName(tc.param.share) + "Percent" +
               caseName(tc.param.percent);
    });

TEST_F(ChildMessages, ElementFailureThenSuccessKeepsTheEntry) {
    context.CurrentUpdateKind = kKindSettings;
    context.CurrentConfigItem = 3;
    EXPECT_EQ(handleElementOutcome(context, 5), 0);
    EXPECT_FALSE(context.ChildSucceeded);
    EXPECT_EQ(handleElementOutcome(context, 0), 0);
    EXPECT_TRUE(context.ChildSucceeded);
    EXPECT_EQ(host.logLines(),
              entry("элемент обновления конфигурации #3", "ошибка переноса данных"));
    EXPECT_TRUE(host.detailsEnabled());
}

TEST_F(ChildMessages, ElementSuccessWritesNothing) {
    context.ChildSucceeded = false;
    handleElementOutcome(context, 0);
    EXPECT_TRUE(context.ChildSucceeded);
    EXPECT_TRUE(host.logLines().empty());
    EXPECT_FALSE(host.detailsEnabled());
}

TEST_F(ChildMessages, NegativeOutcomeIsAFailure) {
    handleElementOutcome(context, -1);
    EXPECT_FALSE(context.ChildSucceeded);
    EXPECT_EQ(host.logLines().size(), 7U);
}

struct AtomCase {
    const char* name;
    std::string atomName;
    std::string error;
};

class ErrorAtom : public ChildMessages, public testing::WithParamInterface<AtomCase> {};

TEST_P(ErrorAtom, LogsTextUnderMaskedCommand) {
    const AtomCase& c = GetParam();
    EXPECT_EQ(handleErrorAtom(context, c.atomName), 0);
    EXPECT_EQ(host.logLines(), entry(maskedCommand, c.error));
    EXPECT_FALSE(context.ChildSucceeded);
    // The command itself keeps its password: only the log hides it.
    EXPECT_NE(context.CurrentChildCommand.find("PASSWORD=\"secret\""), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Names, ErrorAtom,
    testing::Values(AtomCase{"Text", "Справочник не найден", "Справочник не найден"},
                    AtomCase{"Empty", "", "Неопределенная ошибка"},
                    AtomCase{"OnlyZeroByte", "\0rest"s, "Неопределенная ошибка"},
                    AtomCase{"CutAtZeroByte", "Сбой\0мусор"s, "Сбой"},
                    AtomCase{"Windows1251Bytes", "\xD1\xE1\xEE\xE9", "Сбой"},
                    AtomCase{"LongNameCut", std::string(300, 'x'), std::string(254, 'x')},
                    AtomCase{"LongCyrillicCutByCharacters",
                             [] {
                                 std::string s;
                                 for (int i = 0; i < 300; ++i) {
                                     s += "я";
                                 }
                                 return s;
                             }(),
                             [] {
                                 std::string s;
                                 for (int i = 0; i < 254; ++i) {
                                     s += "я";
                                 }
                                 return s;
                             }()}),
    [](const testing::TestParamInfo<AtomCase>& param) { return std::string(param.param.name); });

TEST_F(ChildMessages, ErrorAtomWithoutTransferNamesNoCommand) {
    context.CurrentChildCommand.clear();
    context.CurrentUpdateKind = kKindSettings;
    handleErrorAtom(context, "");
    EXPECT_EQ(host.logLines(), entry("", "Неопределенная ошибка"));
}

TEST_F(ChildMessages, CopyDataDuringTransferIsAnError) {
    EXPECT_EQ(handleCopyData(context, "Ошибка импорта\r\nстрока 2\0junk"s), 0);
    EXPECT_FALSE(context.ChildSucceeded);
    EXPECT_EQ(host.logLines(),
              (Lines{"/*", "Операция:импорт справочников", "Источник:" + maskedCommand,
                     "Ошибка:", "Ошибка импорта", "строка 2", kHyphens, "*/"}));
    EXPECT_EQ(host.statusCaption(), "импорт справочников");
}

TEST_F(ChildMessages, CopyDataDuringSettingsUpdateIsTheStatus) {
    context.CurrentUpdateKind = kKindSettings;
    EXPECT_EQ(handleCopyData(context, "Импорт форм\0junk"s), 0);
    EXPECT_EQ(host.statusCaption(), "Импорт форм");
    EXPECT_TRUE(context.ChildSucceeded);
    EXPECT_TRUE(host.logLines().empty());
    handleCopyData(context, "\xC8\xEC\xEF\xEE\xF0\xF2"); // windows-1251 bytes
    EXPECT_EQ(host.statusCaption(), "Импорт");
}

TEST_F(ChildMessages, CopyDataDuringDatabaseUpdateIsIgnored) {
    context.CurrentUpdateKind = kKindDatabase;
    EXPECT_EQ(handleCopyData(context, "Ошибка"), 0);
    EXPECT_TRUE(context.ChildSucceeded);
    EXPECT_TRUE(host.logLines().empty());
    EXPECT_FALSE(host.detailsEnabled());
    EXPECT_EQ(host.statusCaption(), "импорт справочников");
}

} // namespace
} // namespace update::run
