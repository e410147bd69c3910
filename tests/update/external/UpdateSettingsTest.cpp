#include "update/external/UpdateSettings.h"

#include "platform/registry/Registry.h"
#include "tests/support/ChildFixture.h"

#include <gtest/gtest.h>

namespace update::external {
namespace {

using Lines = std::vector<std::string>;
using platform::registry::Root;

class SettingsTest : public testsupport::ChildFixture {
protected:
    SettingsTest() {
        context.UpdaterState.PlexarFolder = (temp / "plexar").string() + "/";
        context.CurrentUpdateKind = update::run::kKindSettings;
        // A program for the "other" element type that does nothing.
        testsupport::writeScript(temp / "quiet.exe", "exit 0");
    }

    bool run(const std::string& elements) {
        document = platform::xml::Document::parse(
            "<ROOT><CONFIG_UPDATE>" + elements + "</CONFIG_UPDATE></ROOT>", "updcfg.xml");
        return UpdateSettings(context, document->root().child("CONFIG_UPDATE"));
    }

    std::string quiet(const std::string& share, const std::string& extra = "") const {
        return "<E UPDATE_TYPE='" + (temp / "quiet.exe").string() + "' TIME_PERCENT='" + share +
               "' " + extra + "/>";
    }

    std::string sourceLine(std::size_t entry) const { return host.logLines().at(entry * 7 + 2); }
    std::vector<std::string> errors() const {
        std::vector<std::string> result;
        const Lines log = host.logLines();
        for (std::size_t i = 0; i + 1 < log.size(); ++i) {
            if (log[i] == "Ошибка:") {
                result.push_back(log[i + 1]);
            }
        }
        return result;
    }

    std::optional<platform::xml::Document> document;
};

TEST_F(SettingsTest, SharesWithCommaOrPointMakeTheBarsFrame) {
    host.setBarPosition(17);
    ASSERT_TRUE(run(quiet("10") + quiet("20,5") + quiet("30")));
    EXPECT_EQ(host.barMaximum(), 60); // 60.5 goes to the even 60
    // 0 at the start, then after each element the running total (30.5 to the even 30).
    EXPECT_EQ(host.barPositionHistory(), (std::vector<int>{17, 0, 10, 30, 60}));
    EXPECT_DOUBLE_EQ(context.CurrentItemShare, 30.0);
    EXPECT_DOUBLE_EQ(context.ItemStartPosition, 30.0);
    EXPECT_EQ(context.CurrentConfigItem, 3);
    EXPECT_TRUE(host.logLines().empty());
}

TEST_F(SettingsTest, ShareThatIsNoNumberAbortsBeforeAnyProgramRuns) {
    testsupport::writeScript(temp / "mark.exe", "touch '" + (temp / "ran").string() + "'");
    const std::string mark =
        "<E UPDATE_TYPE='" + (temp / "mark.exe").string() + "' TIME_PERCENT='5'/>";
    for (const std::string bad : {"", "12.5.1", "zehn"}) {
        EXPECT_THROW(run(mark + quiet(bad)), std::runtime_error) << bad;
        EXPECT_THROW(run(mark + "<E UPDATE_TYPE='1'/>"), std::runtime_error);
    }
    EXPECT_FALSE(std::filesystem::exists(temp / "ran"));
}

TEST_F(SettingsTest, ConfigurationToolGetsItsSettingsFileAndCommand) {
    testsupport::writeScript(temp / "plexar/Manager/PxConfig.exe",
                             "{ pwd; printf '%s\\n' \"$@\"; } > '" + (temp / "args.txt").string() +
                                 "'");
    ASSERT_TRUE(run("<E UPDATE_TYPE='0' TIME_PERCENT='50' INFO_STRING='Настройки' "
                    "COMMAND='/ini:\"&lt;TEMPDIR&gt;x.ini\" /h:&lt;HANDLE&gt;' "
                    "INI_FILE=' a=1;b=&lt;USER&gt;; ' INI_FILE_NAME='&lt;TEMPDIR&gt;x.ini'/>"));
    EXPECT_EQ(testsupport::readFile(temp / "tmp/x.ini"), "a=1\r\nb=\r\n");
    EXPECT_EQ(linesOf("args.txt"), (Lines{(temp / "plexar/Manager").string(),
                                          "/ini:" + context.UpdaterState.TempFolder + "x.ini",
                                          "/h:" + std::to_string(receiver->handle())}));
    EXPECT_EQ(host.captionHistory().back(), "Настройки");
}

TEST_F(SettingsTest, PlexarItselfAndStatusTextsFromTheProgram) {
    testsupport::writeScript(temp / "plexar/Bin/Plexar.exe",
                             "\"$NOTIFY\" --handle $1 text 'Импорт форм'\n"
                             "\"$NOTIFY\" --handle $1 progress 50");
    ASSERT_TRUE(run(quiet("10") + "<E UPDATE_TYPE='1' TIME_PERCENT='20' COMMAND='&lt;HANDLE&gt;' "
                                  "INFO_STRING='Plexar'/>"));
    const auto& captions = host.captionHistory();
    ASSERT_GE(captions.size(), 2u);
    EXPECT_EQ(captions.back(), "Импорт форм");
    // Within the second element's frame: 10 + 50 % of 20.
    EXPECT_EQ(host.barPositionHistory(), (std::vector<int>{0, 10, 20, 30}));
}

TEST_F(SettingsTest, RegistryReportFailsOnlyItsElement) {
    // The first program leaves a report; the key is gone before the second starts.
    testsupport::writeScript(temp / "report.exe",
                             "\"$REG\" add 'HKCU\\Software\\Korvel\\Deplox\\Messages' --value "
                             "ExecProcMessageError --data 'Нет файла форм'");
    testsupport::writeScript(temp / "check.exe",
                             "\"$REG\" query 'HKCU\\Software\\Korvel\\Deplox\\Messages' >/dev/null "
                             "2>&1 && touch '" +
                                 (temp / "still-there").string() + "'");
    EXPECT_FALSE(run("<E UPDATE_TYPE='" + (temp / "report.exe").string() +
                     "' TIME_PERCENT='1'/><E UPDATE_TYPE='" + (temp / "check.exe").string() +
                     "' TIME_PERCENT='1'/>"));
    EXPECT_FALSE(std::filesystem::exists(temp / "still-there"));
    const Lines log = host.logLines();
    ASSERT_EQ(log.size(), 8u); // one entry, its error on two lines
    EXPECT_EQ(log[2], "Источник:");
    EXPECT_EQ(log[4], "Ошибка при обновлении настроек:");
    EXPECT_EQ(log[5], "Нет файла форм");
}

TEST_F(SettingsTest, FailureMessageIsReportedAfterEveryElementUntilCleared) {
    testsupport::writeScript(temp / "fail.exe", "\"$NOTIFY\" --handle $1 done 5");
    testsupport::writeScript(temp / "ok.exe", "\"$NOTIFY\" --handle $1 done 0");
    const auto element = [&](const char* program) {
        return "<E UPDATE_TYPE='" + (temp / program).string() +
               "' TIME_PERCENT='1' COMMAND='&lt;HANDLE&gt;'/>";
    };
    EXPECT_FALSE(run(element("fail.exe") + quiet("1") + element("ok.exe") + quiet("1")));
    EXPECT_EQ(errors(), (Lines{"ошибка переноса данных", "Ошибка при обновлении настроек",
                               "Ошибка при обновлении настроек"}));
    EXPECT_EQ(sourceLine(0), "Источник:элемент обновления конфигурации #1");
    EXPECT_TRUE(context.ChildSucceeded);
}

TEST_F(SettingsTest, ProgramNamedByTheTypeThatDoesNotExist) {
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(temp.path());
    const bool result = run("<E UPDATE_TYPE='2' TIME_PERCENT='1' COMMAND='x'/>" + quiet("1"));
    std::filesystem::current_path(previous);
    EXPECT_FALSE(result);
    EXPECT_EQ(sourceLine(0), "Источник:2 x");
    EXPECT_EQ(errors(), (Lines{"No such file or directory"}));
}

TEST_F(SettingsTest, UnwritableSettingsFileAborts) {
    EXPECT_THROW(run("<E UPDATE_TYPE='0' TIME_PERCENT='1' INI_FILE='a=1' INI_FILE_NAME='" +
                     (temp / "no/such/folder/x.ini").string() + "'/>"),
                 std::runtime_error);
}

TEST_F(SettingsTest, NoElementsGiveAnEmptyBarAndSuccess) {
    EXPECT_TRUE(run(""));
    EXPECT_EQ(host.barMaximum(), 0);
}

} // namespace
} // namespace update::external
