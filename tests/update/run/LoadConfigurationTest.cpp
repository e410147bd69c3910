#include "update/run/LoadConfiguration.h"

#include "tests/update/run/StartFixture.h"

#include <gtest/gtest.h>
#include <string>

namespace update::run {
namespace {

using starttest::StartTest;

TEST_F(StartTest, MissingConfigurationFileIsReportedWithoutOwner) {
    EXPECT_FALSE(LoadConfiguration(context));
    ASSERT_EQ(host.boxes().size(), 1u);
    EXPECT_EQ(host.boxes()[0].kind, testsupport::RecordingHost::BoxKind::Error);
    EXPECT_EQ(host.boxes()[0].caption, "Ошибка");
    EXPECT_EQ(host.boxes()[0].text,
              "Отсутствует файл конфигурации \"" + programDir.str() + "/updcfg.xml\"");
    EXPECT_FALSE(host.boxes()[0].withOwner);
    EXPECT_EQ(context.UpdaterState.ProgramFolder, programDir.str() + "/");
    EXPECT_TRUE(factory.msSqlCalls.empty());
    EXPECT_EQ(host.statePicture(StatePicture::UpdateDB), -1);
}

TEST_F(StartTest, AFolderNamedLikeTheConfigurationFileCountsAsMissing) {
    std::filesystem::create_directory(configPath());
    EXPECT_FALSE(LoadConfiguration(context));
    ASSERT_EQ(host.boxes().size(), 1u);
    EXPECT_FALSE(host.boxes()[0].withOwner);
}

TEST_F(StartTest, MalformedConfigurationIsReportedWithOwnerAndNoDocumentIsKept) {
    writeSettings("<VERSIONS START_BD_VERSION=\"4.0\"/>");
    ASSERT_TRUE(LoadConfiguration(context));
    ASSERT_TRUE(context.ConfigDocument.has_value());
    host.setStatePicture(StatePicture::UpdateDB, kPictureSucceeded);

    writeConfig("<ROOT><SETTINGS></ROOT>");
    EXPECT_FALSE(LoadConfiguration(context));

    ASSERT_EQ(host.boxes().size(), 1u);
    EXPECT_EQ(host.boxes()[0].caption, "Ошибка");
    EXPECT_EQ(host.boxes()[0].text,
              "Невозможно открыть файл конфигурации \"" + configPath() + "\"");
    EXPECT_TRUE(host.boxes()[0].withOwner);
    EXPECT_FALSE(context.ConfigDocument.has_value());
    EXPECT_EQ(factory.msSqlCalls.size(), 1u) << "the database is not read after the failure";
    EXPECT_EQ(host.statePicture(StatePicture::UpdateDB), kPictureSucceeded);
}

TEST_F(StartTest, LoadingFillsTheRunAndShowsPendingPictures) {
    writeSettings("<UPDATES ALWAYS_UPDATE_DB=\"true\"/>"
                  "<VERSIONS START_BD_VERSION=\" 4.0;4.1 \" RESULT_BD_VERSION=\"4.2\"/>");
    ASSERT_TRUE(LoadConfiguration(context));

    const TBaseState& s = context.UpdaterState;
    EXPECT_TRUE(s.AlwaysUpdateDb);
    EXPECT_EQ(s.StartDbVersions, "4.0;4.1;");
    EXPECT_EQ(s.ResultDbVersion, "4.2");
    EXPECT_EQ(s.OracleHome, "");
    EXPECT_EQ(s.TempFolder, tempDir.str() + "/");
    EXPECT_EQ(s.WindowsFolder, "/etc/");
    EXPECT_EQ(s.SystemFolder, "/usr/lib/");
    EXPECT_EQ(s.ProgramFilesFolder, "/opt/");
    EXPECT_EQ(s.CommonFilesFolder, "/usr/share/");
    EXPECT_EQ(s.SharedFolder, "/usr/share/Korvel Shared/");
    EXPECT_EQ(s.CatalexFolder, "");
    EXPECT_FALSE(s.PlexarInstalled);
    EXPECT_TRUE(host.boxes().empty());
    EXPECT_EQ(host.statePictureHistory(StatePicture::UpdateDB), std::vector<int>{0});
    EXPECT_EQ(host.statePictureHistory(StatePicture::UpdateConf), std::vector<int>{0});
    EXPECT_EQ(host.statePicture(StatePicture::UpdateXML), -1);
    ASSERT_TRUE(context.ConfigDocument.has_value());
    EXPECT_TRUE(context.ConfigDocument->root().child("SETTINGS"));
}

TEST_F(StartTest, ASecondLoginReloadsTheFileAndKeepsWhatItDoesNotWrite) {
    writeSettings("<UPDATES NO_UPDATE_CONF=\"TRUE\"/>"
                  "<VERSIONS START_BD_VERSION=\"4.0\" RESULT_BD_VERSION=\"4.2\"/>");
    ASSERT_TRUE(LoadConfiguration(context));
    writeConfig("<ROOT><SETTINGS><FORM FORM_CAPTION=\"second\" SHOW_INFO=\"1\"/></SETTINGS>"
                "<DB_UPDATE/></ROOT>");
    ASSERT_TRUE(LoadConfiguration(context));

    const TBaseState& s = context.UpdaterState;
    EXPECT_FALSE(s.NoUpdateConf);
    EXPECT_EQ(s.StartDbVersions, "4.0;");
    EXPECT_EQ(s.ResultDbVersion, "4.2");
    EXPECT_EQ(s.FormCaption, "second");
    EXPECT_TRUE(s.ShowInfo);
    EXPECT_TRUE(context.ConfigDocument->root().child("DB_UPDATE"))
        << "the document is the one of the latest login";
    EXPECT_EQ(factory.msSqlCalls.size(), 2u);
}

TEST_F(StartTest, AConfigurationWithoutSettingsKeepsTheFlagsOfAnEarlierLoad) {
    writeSettings("<UPDATES ALWAYS_UPDATE_DB=\"TRUE\"/>");
    ASSERT_TRUE(LoadConfiguration(context));
    writeConfig("<ROOT><DB_UPDATE/></ROOT>");
    ASSERT_TRUE(LoadConfiguration(context));
    EXPECT_TRUE(context.UpdaterState.AlwaysUpdateDb);
}

TEST_F(StartTest, AConfigurationInWindows1251IsReadAsUtf8) {
    writeConfig("<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n"
                "<ROOT><SETTINGS><FORM FORM_CAPTION=\"\xCE\xE1\xED\xEE\xE2\xEB\xE5\xED\xE8\xE5\" "
                "SHOW_INFO=\"true\"/></SETTINGS></ROOT>");
    ASSERT_TRUE(LoadConfiguration(context));
    EXPECT_EQ(context.UpdaterState.FormCaption, "Обновление");
}

TEST_F(StartTest, PlexarFolderIsReadWhenItsKeyExists) {
    writeSettings("");
    putString("Software\\Korvel\\Plexar", "CurrentVersion", "5.0");
    putString("Software\\Korvel\\Plexar\\5.0", "InstallPath", "/opt/plexar");
    putString("Software\\Korvel\\Catalex", "CurrentVersion", "4.0");
    putString("Software\\Korvel\\Catalex\\4.0", "InstallPath", "/opt/catalex");
    ASSERT_TRUE(LoadConfiguration(context));
    EXPECT_TRUE(context.UpdaterState.PlexarInstalled);
    EXPECT_EQ(context.UpdaterState.PlexarFolder, "/opt/plexar/");
    EXPECT_EQ(context.UpdaterState.CatalexFolder, "/opt/catalex/");
}

TEST_F(StartTest, WithoutPlexarItsFolderIsLeftAlone) {
    writeSettings("");
    context.UpdaterState.PlexarInstalled = true;
    context.UpdaterState.PlexarFolder = "/earlier/";
    ASSERT_TRUE(LoadConfiguration(context));
    EXPECT_FALSE(context.UpdaterState.PlexarInstalled);
    EXPECT_EQ(context.UpdaterState.PlexarFolder, "/earlier/");
}

TEST_F(StartTest, AMissingCatalexEntryClearsItsFolder) {
    writeSettings("");
    context.UpdaterState.CatalexFolder = "/earlier/";
    ASSERT_TRUE(LoadConfiguration(context));
    EXPECT_EQ(context.UpdaterState.CatalexFolder, "");
}

} // namespace
} // namespace update::run
