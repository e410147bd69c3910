// The stand-ins of the sample site started by the two steps, the import writing to the
// product database while this process holds a connection to it.

#include "platform/db/ConnectionString.h"
#include "tests/support/ChildFixture.h"
#include "tools/sample-site/SampleRegistry.h"
#include "tools/sample-site/SampleSite.h"
#include "tools/sample-site/SampleStandIns.h"
#include "update/external/TransferReferenceGroups.h"
#include "update/external/UpdateSettings.h"

#include <gtest/gtest.h>

namespace update::external {
namespace {

class SampleSiteChildren : public testsupport::ChildFixture {
protected:
    SampleSiteChildren() : site(tools::samplesite::siteFolders((temp / "site").string())) {
        std::filesystem::create_directories(temp / "site/db");
        tools::samplesite::createSampleDatabase(site.database);
        tools::samplesite::writeSampleRegistry(site);
        tools::samplesite::installStandIns(site,
                                           testsupport::toolsFolder() + "update-sample-child");
        context.UpdaterState.CatalexFolder = site.catalex;
        context.UpdaterState.PlexarFolder = site.plexar;
        context.UpdaterState.UserName = "ADMIN";
        context.UpdaterState.UserPassword = "admin";
        std::filesystem::create_directories(temp / "package/Data");
        testsupport::writeFile(temp / "package/Data/groups.xml", "<DATA/>");
        testsupport::writeFile(temp / "package/Data/groups.xsd", "<xs:schema/>");
        // The login's connection, held for the whole run as the update holds it.
        login = platform::db::openConnection(site.connection);
    }

    int importedRows() {
        auto rows = login->query("SELECT COUNT(*) FROM CX_CATALOG WHERE CODE STARTING WITH 'REF-'");
        return rows->integer(0);
    }

    bool transfer(const std::string& dataFile) {
        context.CurrentUpdateKind = update::run::kKindTransfer;
        document = platform::xml::Document::parse(
            "<ROOT><SCHEMA_UPDATE><G DATA_FILE='" + dataFile +
                "' SCHEMA_FILE='Data\\groups.xsd' OBJECTS='7,8'/></SCHEMA_UPDATE></ROOT>",
            "updcfg.xml");
        return TransferReferenceGroups(context, document->root().child("SCHEMA_UPDATE"));
    }

    bool settings() {
        context.CurrentUpdateKind = update::run::kKindSettings;
        document = platform::xml::Document::parse(
            "<ROOT><CONFIG_UPDATE>"
            "<C UPDATE_TYPE='0' TIME_PERCENT='50' INFO_STRING='Настройки' "
            "INI_FILE='[Import];User=&lt;USER&gt;' INI_FILE_NAME='&lt;TEMPDIR&gt;px.ini' "
            "COMMAND='HANDLE=&lt;HANDLE&gt; INI=\"&lt;TEMPDIR&gt;px.ini\"'/>"
            "<C UPDATE_TYPE='1' TIME_PERCENT='50' COMMAND='HANDLE=&lt;HANDLE&gt;'/>"
            "</CONFIG_UPDATE></ROOT>",
            "updcfg.xml");
        return UpdateSettings(context, document->root().child("CONFIG_UPDATE"));
    }

    tools::samplesite::SiteFolders site;
    std::unique_ptr<platform::db::Connection> login;
    std::optional<platform::xml::Document> document;
};

TEST_F(SampleSiteChildren, ImportWritesToTheDatabaseThatThisProcessHoldsOpen) {
    ASSERT_EQ(importedRows(), 0);
    EXPECT_TRUE(transfer("Data\\groups.xml"));
    EXPECT_TRUE(host.logLines().empty()) << host.logLines().at(4);
    EXPECT_EQ(importedRows(), 2);
    EXPECT_EQ(host.barPosition(), 100);
}

TEST_F(SampleSiteChildren, ImportReportsAMissingDataFileOrAFailureOnRequest) {
    EXPECT_FALSE(transfer("Data\\missing.xml"));
    ASSERT_EQ(host.logLines().size(), 7u);
    EXPECT_EQ(host.logLines()[4],
              "Файл не найден: " + context.UpdaterState.ProgramFolder + "Data/missing.xml");
    host.clearLog();
    testsupport::ScopedEnv fail("SAMPLE_CHILD_FAIL", "PxConfig,RefGroupImport");
    EXPECT_FALSE(transfer("Data\\groups.xml"));
    EXPECT_EQ(host.logLines().size(), 7u);
    EXPECT_EQ(importedRows(), 0);
}

TEST_F(SampleSiteChildren, SettingsToolReadsItsFileAndWritesTheImportLog) {
    EXPECT_TRUE(settings());
    EXPECT_TRUE(host.logLines().empty());
    const std::string log = testsupport::readFile(site.plexar + "Doc/PxFullImportSettings.log");
    EXPECT_NE(log.find("[Import]\r\nUser=ADMIN\r\n"), std::string::npos) << log;
    EXPECT_EQ(host.barPosition(), 100);
    EXPECT_EQ(host.captionHistory().back(), "Обновление форм ПЛЕКСАР");
}

TEST_F(SampleSiteChildren, SettingsFailuresOnRequest) {
    testsupport::ScopedEnv fail("SAMPLE_CHILD_FAIL", "PxConfig,Plexar");
    EXPECT_FALSE(settings());
    std::vector<std::string> errors;
    const auto lines = host.logLines();
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        if (lines[i] == "Ошибка:") {
            errors.push_back(lines[i + 1]);
        }
    }
    // The tool's registry report; then Plexar's failure message and the step's entry for it.
    EXPECT_EQ(errors,
              (std::vector<std::string>{"Ошибка при обновлении настроек:", "ошибка переноса данных",
                                        "Ошибка при обновлении настроек"}));
}

} // namespace
} // namespace update::external
