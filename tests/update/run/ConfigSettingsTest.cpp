#include "update/run/ConfigSettings.h"

#include <gtest/gtest.h>
#include <optional>
#include <ostream>
#include <string>

namespace update::run {
namespace {

platform::xml::Document settingsDocument(const std::string& children) {
    return platform::xml::Document::parse("<ROOT><SETTINGS>" + children + "</SETTINGS></ROOT>",
                                          "updcfg.xml");
}

// A state whose settings fields all hold values of an earlier load.
TBaseState earlierLoad() {
    TBaseState s;
    s.AlwaysUpdateDb = true;
    s.NoUpdateConf = true;
    s.StartDbVersions = "3.0;";
    s.ResultDbVersion = "3.5";
    s.FormCaption = "earlier";
    s.ShowInfo = true;
    s.InfoFile = "earlier.doc";
    return s;
}

struct FlagCase {
    const char* name;
    const char* attributes; // of UPDATES
    bool alwaysUpdateDb;
    bool noUpdateConf;
};

void PrintTo(const FlagCase& c, std::ostream* os) {
    *os << c.name;
}

class UpdatesFlags : public testing::TestWithParam<FlagCase> {};

TEST_P(UpdatesFlags, AreTrueOnlyForTrueInAnyCase) {
    TBaseState s = earlierLoad();
    readSettings(settingsDocument(std::string("<UPDATES ") + GetParam().attributes + "/>"), s);
    EXPECT_EQ(s.AlwaysUpdateDb, GetParam().alwaysUpdateDb);
    EXPECT_EQ(s.NoUpdateConf, GetParam().noUpdateConf);
}

INSTANTIATE_TEST_SUITE_P(
    Values, UpdatesFlags,
    testing::Values(FlagCase{"Lower", "ALWAYS_UPDATE_DB=\"true\" NO_UPDATE_CONF=\"true\"", true,
                             true},
                    FlagCase{"Capitalised", "ALWAYS_UPDATE_DB=\"True\"", true, false},
                    FlagCase{"Upper", "NO_UPDATE_CONF=\"TRUE\"", false, true},
                    FlagCase{"One", "ALWAYS_UPDATE_DB=\"1\" NO_UPDATE_CONF=\"1\"", false, false},
                    FlagCase{"Yes", "ALWAYS_UPDATE_DB=\"yes\"", false, false},
                    FlagCase{"Padded", "ALWAYS_UPDATE_DB=\" TRUE\"", false, false},
                    FlagCase{"Absent", "", false, false}),
    [](const auto& tc) { return std::string(tc.param.name); });

TEST(Settings, NoUpdatesElementClearsBothFlags) {
    TBaseState s = earlierLoad();
    readSettings(settingsDocument("<VERSIONS START_BD_VERSION=\"4.0\"/>"), s);
    EXPECT_FALSE(s.AlwaysUpdateDb);
    EXPECT_FALSE(s.NoUpdateConf);
}

TEST(Settings, VersionsAreTrimmedAndGivenASeparatorAndFormIsNotRead) {
    TBaseState s = earlierLoad();
    readSettings(settingsDocument("<VERSIONS START_BD_VERSION=\"  4.0; 4.1 \" "
                                  "RESULT_BD_VERSION=\" 4.2 \"/>"
                                  "<FORM FORM_CAPTION=\"new\" SHOW_INFO=\"false\" "
                                  "INFO_FILE=\"new.doc\"/>"),
                 s);
    EXPECT_EQ(s.StartDbVersions, "4.0; 4.1;");
    EXPECT_EQ(s.ResultDbVersion, " 4.2 ");
    EXPECT_EQ(s.FormCaption, "earlier");
    EXPECT_TRUE(s.ShowInfo);
    EXPECT_EQ(s.InfoFile, "earlier.doc");
}

TEST(Settings, AnEmptyStartVersionBecomesALoneSeparator) {
    TBaseState s = earlierLoad();
    readSettings(settingsDocument("<VERSIONS/>"), s);
    EXPECT_EQ(s.StartDbVersions, ";");
    EXPECT_EQ(s.ResultDbVersion, "");
}

TEST(Settings, OnlyTheFirstVersionsElementCounts) {
    TBaseState s;
    readSettings(settingsDocument("<VERSIONS START_BD_VERSION=\"4.0\" RESULT_BD_VERSION=\"4.1\"/>"
                                  "<VERSIONS START_BD_VERSION=\"5.0\" RESULT_BD_VERSION=\"5.1\"/>"),
                 s);
    EXPECT_EQ(s.StartDbVersions, "4.0;");
    EXPECT_EQ(s.ResultDbVersion, "4.1");
}

TEST(Settings, WithoutVersionsTheListsKeepTheirValuesAndFormIsRead) {
    TBaseState s = earlierLoad();
    readSettings(settingsDocument("<FORM FORM_CAPTION=\"Обновление 4.2\" SHOW_INFO=\"False\" "
                                  "INFO_FILE=\"Doc\\info.doc\"/>"),
                 s);
    EXPECT_EQ(s.StartDbVersions, "3.0;");
    EXPECT_EQ(s.ResultDbVersion, "3.5");
    EXPECT_EQ(s.FormCaption, "Обновление 4.2");
    EXPECT_FALSE(s.ShowInfo);
    EXPECT_EQ(s.InfoFile, "Doc\\info.doc");
}

struct ShowInfoCase {
    const char* name;
    const char* showInfo;         // nullptr: the attribute is absent
    std::optional<bool> expected; // nothing: FORM reading stops at SHOW_INFO
};

void PrintTo(const ShowInfoCase& c, std::ostream* os) {
    *os << c.name;
}

class FormShowInfo : public testing::TestWithParam<ShowInfoCase> {};

TEST_P(FormShowInfo, ConvertsOrStopsAfterTheCaption) {
    const ShowInfoCase& c = GetParam();
    std::string form = "<FORM FORM_CAPTION=\"new\" INFO_FILE=\"new.doc\"";
    if (c.showInfo != nullptr) {
        form += std::string(" SHOW_INFO=\"") + c.showInfo + "\"";
    }
    form += "/>";
    TBaseState s = earlierLoad();
    s.ShowInfo = !c.expected.value_or(false);
    const bool before = s.ShowInfo;
    readSettings(settingsDocument(form), s);
    EXPECT_EQ(s.FormCaption, "new");
    if (c.expected) {
        EXPECT_EQ(s.ShowInfo, *c.expected);
        EXPECT_EQ(s.InfoFile, "new.doc");
    } else {
        EXPECT_EQ(s.ShowInfo, before);
        EXPECT_EQ(s.InfoFile, "earlier.doc");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Values, FormShowInfo,
    testing::Values(ShowInfoCase{"TrueWord", "tRUE", true},
                    ShowInfoCase{"FalseWord", "FALSE", false}, ShowInfoCase{"Zero", "0", false},
                    ShowInfoCase{"ZeroFraction", "0.0", false}, ShowInfoCase{"One", "1", true},
                    ShowInfoCase{"Negative", "-2", true}, ShowInfoCase{"PaddedNumber", " 1 ", true},
                    ShowInfoCase{"Exponent", "1e2", true}, ShowInfoCase{"Yes", "yes", std::nullopt},
                    ShowInfoCase{"PaddedWord", " True", std::nullopt},
                    ShowInfoCase{"Empty", "", std::nullopt},
                    ShowInfoCase{"Infinity", "inf", std::nullopt},
                    ShowInfoCase{"NotANumber", "nan", std::nullopt},
                    ShowInfoCase{"TrailingText", "1x", std::nullopt},
                    ShowInfoCase{"Absent", nullptr, std::nullopt}),
    [](const auto& tc) { return std::string(tc.param.name); });

TEST(Settings, WithoutSettingsOrRootNothingChanges) {
    for (const char* xml : {"<ROOT><DB_UPDATE/></ROOT>", "<OTHER><SETTINGS><UPDATES/>"
                                                         "<VERSIONS START_BD_VERSION=\"9\"/>"
                                                         "</SETTINGS></OTHER>"}) {
        SCOPED_TRACE(xml);
        TBaseState s = earlierLoad();
        readSettings(platform::xml::Document::parse(xml, "updcfg.xml"), s);
        EXPECT_TRUE(s.AlwaysUpdateDb);
        EXPECT_TRUE(s.NoUpdateConf);
        EXPECT_EQ(s.StartDbVersions, "3.0;");
        EXPECT_EQ(s.FormCaption, "earlier");
    }
}

} // namespace
} // namespace update::run
