#include "update/run/RunLog.h"

#include "tests/support/RecordingHost.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace update::run {
namespace {

using Lines = std::vector<std::string>;

const std::string kHyphens(48, '-');

struct EntryCase {
    const char* name;
    std::string source;
    std::string error;
    std::string detail;
    Lines expected;
};

class LogEntryLayout : public testing::TestWithParam<EntryCase> {};

TEST_P(LogEntryLayout, AppendsExactLines) {
    const EntryCase& c = GetParam();
    testsupport::RecordingHost host;
    host.setStatusCaption("выполнение скрипта");
    ASSERT_FALSE(host.detailsEnabled());
    WriteLogEntry(host, c.source, c.error, c.detail);
    EXPECT_EQ(host.logLines(), c.expected);
    EXPECT_TRUE(host.detailsEnabled());
}

INSTANTIATE_TEST_SUITE_P(
    Entries, LogEntryLayout,
    testing::Values(
        EntryCase{"NoDetail",
                  "script.xml",
                  "нет таблицы",
                  "",
                  {"/*", "Операция:выполнение скрипта", "Источник:script.xml",
                   "Ошибка:", "нет таблицы", kHyphens, "*/"}},
        EntryCase{"OneLineDetail",
                  "script.xml",
                  "нет таблицы",
                  "drop table T",
                  {"/*", "Операция:выполнение скрипта", "Источник:script.xml",
                   "Ошибка:", "нет таблицы", "*/", "drop table T", "/*", kHyphens, "*/"}},
        EntryCase{"MultiLineErrorAndDetail",
                  "s",
                  "first\r\nsecond\nthird\rfourth",
                  "update T\r\nset A = 1",
                  {"/*", "Операция:выполнение скрипта", "Источник:s", "Ошибка:", "first", "second",
                   "third", "fourth", "*/", "update T", "set A = 1", "/*", kHyphens, "*/"}},
        EntryCase{
            "EmptyErrorGivesEmptyLine",
            "",
            "",
            "",
            {"/*", "Операция:выполнение скрипта", "Источник:", "Ошибка:", "", kHyphens, "*/"}},
        EntryCase{"TrailingAndDoubleBreaks",
                  "s",
                  "a\r\n\r\nb\n",
                  "",
                  {"/*", "Операция:выполнение скрипта", "Источник:s", "Ошибка:", "a", "", "b", "",
                   kHyphens, "*/"}},
        EntryCase{"BreakInSource",
                  "line1\nline2",
                  "e",
                  "",
                  {"/*", "Операция:выполнение скрипта", "Источник:line1", "line2", "Ошибка:", "e",
                   kHyphens, "*/"}}),
    [](const testing::TestParamInfo<EntryCase>& param) { return std::string(param.param.name); });

TEST(RunLog, EntriesAppendAndTakeTheCaptionOfTheirMoment) {
    testsupport::RecordingHost host;
    RunContext context(host);
    host.appendLogLine("earlier");
    host.setStatusCaption("первая");
    WriteLogEntry(context, "a", "1");
    host.setStatusCaption("вторая\r\nстрока");
    WriteLogEntry(context, "b", "2");
    const Lines expected{
        "earlier", "/*", "Операция:первая", "Источник:a", "Ошибка:",    "1",       kHyphens,
        "*/",      "/*", "Операция:вторая", "строка",     "Источник:b", "Ошибка:", "2",
        kHyphens,  "*/"};
    EXPECT_EQ(host.logLines(), expected);
}

} // namespace
} // namespace update::run
