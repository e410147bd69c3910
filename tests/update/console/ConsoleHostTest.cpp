#include "update/console/ConsoleHost.h"

#include "platform/os/UpdateNotify.h"
#include "tests/support/TempDir.h"
#include "update/console/RunLogFile.h"
#include "update/run/RunContext.h"
#include "update/run/RunLog.h"

#include <gtest/gtest.h>
#include <sstream>
#include <stdexcept>

namespace {

using update::console::barPercent;
using update::console::ConsoleHost;

TEST(ConsoleHost, PlainLinesWhenNoTerminal) {
    std::ostringstream out;
    std::ostringstream err;
    {
        ConsoleHost host(out, err, {});
        host.setStatusCaption("выполнение скриптов");
        host.setStatusCaption("выполнение скриптов");
        host.setBarPosition(40);
        update::run::WriteLogEntry(host, "s.xml", "сбой");
        host.showError("Нет файла", true);
        EXPECT_FALSE(host.confirm("Продолжить?", true));
        EXPECT_EQ(host.logLines().size(), 7u);
        EXPECT_TRUE(host.detailsEnabled());
    }
    EXPECT_EQ(out.str(), "выполнение скриптов\n/*\nОперация:выполнение скриптов\nИсточник:s.xml\n"
                         "Ошибка:\nсбой\n------------------------------------------------\n*/\n");
    EXPECT_EQ(err.str(), "Ошибка: Нет файла\nПодтверждение: Продолжить? — нет\n");
}

TEST(ConsoleHost, ABarOnATerminal) {
    std::ostringstream out;
    std::ostringstream err;
    ConsoleHost::Settings settings;
    settings.terminal = true;
    settings.width = 60;
    settings.confirmAnswer = true;
    ConsoleHost host(out, err, settings);
    host.setBarMaximum(200);
    host.setStatusCaption("группа 1, элемент 1");
    host.setBarPosition(100);
    host.setBarPosition(101); // the same percentage: not redrawn
    host.appendLogLine("/*");
    EXPECT_TRUE(host.confirm("Обновить?", true));
    host.finish();
    const std::string text = out.str();
    EXPECT_EQ(text, "\r\033[K[                              ]   0%  группа 1, элемент 1"
                    "\r\033[K[###############               ]  50%  группа 1, элемент 1"
                    "\r\033[K/*\n"
                    "\r\033[K[###############               ]  50%  группа 1, элемент 1"
                    "\r\033[K"
                    "\r\033[K[###############               ]  50%  группа 1, элемент 1\n");
    EXPECT_EQ(err.str(), "Подтверждение: Обновить? — да\n");
}

TEST(ConsoleHost, LongCaptionsAreCutToTheLineWithoutSplittingACharacter) {
    std::ostringstream out;
    std::ostringstream err;
    ConsoleHost::Settings settings;
    settings.terminal = true;
    settings.width = 40;
    ConsoleHost host(out, err, settings);
    std::string zhe;
    for (int i = 0; i < 100; ++i) {
        zhe += "ж";
    }
    host.setStatusCaption(zhe);
    const std::string line = out.str().substr(out.str().rfind("\033[K") + 3);
    EXPECT_EQ(line, "[                              ]   0%  ");
    settings.width = 50;
    ConsoleHost wider(out, err, settings);
    out.str("");
    wider.setStatusCaption("xxxxxxxxж" + zhe);
    // Ten characters of caption fit: twelve bytes.
    EXPECT_EQ(out.str().substr(out.str().rfind("%  ") + 3), "xxxxxxxxжж");
}

TEST(ConsoleHost, BarPercent) {
    EXPECT_EQ(barPercent(0, 0, 0), 0);
    EXPECT_EQ(barPercent(50, 0, 100), 50);
    EXPECT_EQ(barPercent(250, 0, 250), 100);
    EXPECT_EQ(barPercent(-5, 0, 100), 0);
    EXPECT_EQ(barPercent(500, 0, 100), 100);
}

TEST(RunLogFile, LinesEndWithCrLf) {
    testsupport::TempDir dir;
    const auto path = (dir / "update.log").string();
    update::console::saveRunLog({"/*", "Операция:x", ""}, path);
    EXPECT_EQ(testsupport::readFile(path), "/*\r\nОперация:x\r\n\r\n");
    EXPECT_THROW(update::console::saveRunLog({"x"}, (dir / "no" / "such.log").string()),
                 std::runtime_error);
}

} // namespace

// A child program reaches the run through the host's socket: its messages are handled when
// the host processes pending messages, by the handlers of the run that lives on the host.
TEST(ConsoleHost, ChildMessagesReachTheRunThroughItsSocket) {
    std::ostringstream out;
    std::ostringstream err;
    ConsoleHost host(out, err, {});
    ASSERT_EQ(err.str(), "");
    {
        update::run::RunContext run(host);
        run.CurrentUpdateKind = update::run::kKindTransfer;
        run.CurrentChildCommand = "RefGroupImport.exe";
        run.ItemStartPosition = 30;
        run.CurrentItemShare = 20;
        run.ChildSucceeded = true;
        host.setBarMaximum(100);
        ASSERT_EQ(updateNotifyProgress(host.windowHandle(), 50), 0);
        ASSERT_EQ(updateNotifyText(host.windowHandle(), "нет файла"), 0);
        EXPECT_EQ(host.barPosition(), 0) << "nothing is handled before messages are processed";
        host.processMessages();
        EXPECT_EQ(host.barPosition(), 40);
        EXPECT_FALSE(run.ChildSucceeded);
        const auto log = host.logLines();
        ASSERT_GE(log.size(), 5u);
        EXPECT_EQ(log[2], "Источник:RefGroupImport.exe");
        EXPECT_EQ(log[4], "нет файла");
    }
    // Without a run, a late message is left alone.
    ASSERT_EQ(updateNotifyProgress(host.windowHandle(), 100), 0);
    host.processMessages();
    EXPECT_EQ(host.barPosition(), 40);
}
