#include "update/run/Placeholders.h"

#include "tests/support/RecordingHost.h"
#include "tests/support/TempDir.h"
#include "update/connect/ShiftCipher.h"

#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace update::run {
namespace {

// A run record in which every value is different, so that a wrong table entry shows.
TBaseState sampleState() {
    TBaseState s;
    s.CatalexFolder = "/opt/catalex/";
    s.PlexarFolder = "/opt/plexar/";
    s.UserName = "ivanov";
    s.UserPassword = "secret";
    s.UserGroup = "Администраторы";
    s.SqlUserName = "sysdba";
    s.SqlPassword = "masterkey";
    s.ProgramFolder = "/pkg/";
    s.TempFolder = "/tmp/";
    s.WindowsFolder = "/win/";
    s.SystemFolder = "/win/system32/";
    s.SharedFolder = "/common/Korvel Shared\\";
    s.ProgramFilesFolder = "/programs/";
    s.CommonFilesFolder = "/common/";
    s.SelectedConnectionString = "Provider=SQLOLEDB.1;Data Source=srv";
    s.DbUserName = "dbuser";
    s.DbPassword = "dbpass";
    s.Preferences.AutoLogon = true;
    s.Preferences.PathSlaid = "picture";
    s.Preferences.PathTemp = "ptemp";
    s.Preferences.PathDocument = "pdoc";
    s.Preferences.SaveDays = 3;
    s.Preferences.Debugger = false;
    s.Preferences.SwapLine = -20;
    s.Preferences.ScriptTimeOut = 30000;
    s.Preferences.FontName = "Arial";
    s.Preferences.FontSize = 8;
    return s;
}

constexpr std::uint32_t kHandle = 4000000000U; // above the signed 32-bit range
const update::connect::ShiftKeyTable& kKeys = update::connect::builtInShiftKeyTable();

struct Case {
    const char* name;
    std::string text;
    std::string expected;
};

class PlaceholdersTable : public testing::TestWithParam<Case> {};

TEST_P(PlaceholdersTable, Expands) {
    const Case& c = GetParam();
    EXPECT_EQ(ExpandPlaceholders(sampleState(), "MSSQL", kHandle, kKeys, c.text), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PlaceholdersTable,
    testing::Values(
        Case{"Empty", "", ""},
        Case{"NoPlaceholder", "select * from T where A = 1", "select * from T where A = 1"},
        Case{"LowerAndMixedCase", "<cxdir>|<CxDir>|<CXDIR>",
             "/opt/catalex/|/opt/catalex/|/opt/catalex/"},
        Case{"CurdirData", "<curdir>Data", "/pkg/Data"},
        Case{"Comparisons", "a<b and c>d", "a<B AND C>d"}, Case{"NotEqual", "a<>b", "a<>b"},
        Case{"UnknownUpperCased", "x <unknown_1> y", "x <UNKNOWN_1> y"},
        Case{"OnlyLatinLettersUpperCased", "<таблица x>", "<таблица X>"},
        Case{"LoneOpenAtEnd", "abc<", "abc<"}, Case{"LoneOpenOnly", "<", "<"},
        Case{"OpenWithoutCloseEndsScan", "<CXDIR>;<tempdir and <cxdir",
             "/opt/catalex/;<tempdir and <cxdir"},
        Case{"OpenBeforePlaceholder", "<<CXDIR>", "</opt/catalex/"},
        Case{"TwoOpensBeforePlaceholder", "<<<CXDIR>", "<</opt/catalex/"},
        Case{"EmptyValuesVanish", "[<WNDIR>][<ORA_HOME>]", "[][]"},
        Case{"PlaceholderRightAfterEmptyValue", "<WNDIR><CXDIR>", "/opt/catalex/"},
        Case{"Adjacent", "<CXDIR><PLXDIR>", "/opt/catalex//opt/plexar/"},
        Case{"Folders",
             "<PLXDIR>|<CURDIR>|<TEMPDIR>|<WINDIR>|<SYSDIR>|<KRVCMNDIR>|<PROGR_DIR>|<COMMON_DIR>",
             "/opt/plexar/|/pkg/|/tmp/|/win/|/win/system32/|/common/Korvel "
             "Shared\\|/programs/|/common/"},
        Case{"Credentials", "<USER>|<PASSWORD>|<GROUP>|<USER_SQL>|<PASSWORD_SQL>",
             "ivanov|secret|Администраторы|sysdba|masterkey"},
        Case{"Preferences",
             "<AUTOLOG>|<CXSLAIDDIR>|<CXTEMPDIR>|<CXDOCDIR>|<CXSAVEDAYS>|<CXDEBUG>|"
             "<CXRECLOADCNT>|<CXTIMEOUT>|<FONTNAME>|<FONTSIZE>",
             "True|picture|ptemp|pdoc|3|False|-20|30000|Arial|8"},
        Case{"ConnectionAndHandle", "<CON_STRING>|<HANDLE>|<BASETYPE>",
             "Provider=SQLOLEDB.1;Data Source=srv|4000000000|MSSQL"}),
    [](const testing::TestParamInfo<Case>& param) { return std::string(param.param.name); });

TEST(Placeholders, IniCredentialsUseShiftCipherMode2) {
    const std::string result =
        ExpandPlaceholders(sampleState(), "MSSQL", kHandle, kKeys, "<USER_INI>:<PASSWORD_INI>");
    const std::string user = update::connect::ShiftEncode("dbuser", 2, kKeys);
    const std::string password = update::connect::ShiftEncode("dbpass", 2, kKeys);
    ASSERT_NE(user, update::connect::ShiftEncode("dbuser", 1, kKeys));
    // The sample values scramble to texts without "<", which would be scanned in turn.
    ASSERT_EQ((user + password).find('<'), std::string::npos);
    EXPECT_EQ(result, user + ":" + password);
}

TEST(Placeholders, UnmappableIniUserLeavesTextUnchanged) {
    TBaseState state = sampleState();
    state.DbUserName = "usär"; // ä has no windows-1251 byte
    EXPECT_EQ(ExpandPlaceholders(state, "MSSQL", kHandle, kKeys, "<CXDIR> <user_ini> <CURDIR>"),
              "<CXDIR> <user_ini> <CURDIR>");
    // Only a text that asks for the scrambled value is affected.
    EXPECT_EQ(ExpandPlaceholders(state, "MSSQL", kHandle, kKeys, "<CXDIR>"), "/opt/catalex/");
}

TEST(Placeholders, BaseTypeMapsInterBaseToFirebird) {
    const TBaseState state = sampleState();
    EXPECT_EQ(ExpandPlaceholders(state, "INTRBASE", 0, kKeys, "<BASETYPE>"), "FIREBIRD");
    EXPECT_EQ(ExpandPlaceholders(state, "FIREBIRD", 0, kKeys, "<BASETYPE>"), "FIREBIRD");
    EXPECT_EQ(ExpandPlaceholders(state, "ORACLE", 0, kKeys, "<BASETYPE>"), "ORACLE");
    EXPECT_EQ(ExpandPlaceholders(state, "", 0, kKeys, "[<BASETYPE>]"), "[]");
}

struct ValueCase {
    const char* name;
    std::string userName;
    std::string text;
    std::string expected;
};

class PlaceholderValues : public testing::TestWithParam<ValueCase> {};

TEST_P(PlaceholderValues, ScanInsideInsertedValue) {
    const ValueCase& c = GetParam();
    TBaseState state = sampleState();
    state.UserName = c.userName;
    EXPECT_EQ(ExpandPlaceholders(state, "MSSQL", kHandle, kKeys, c.text), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, PlaceholderValues,
    testing::Values(
        // A placeholder inside a value is expanded in turn.
        ValueCase{"PlaceholderInValue", "x<CURDIR>", "<USER>", "x/pkg/"},
        // The value's first character never starts a placeholder.
        ValueCase{"ValueFirstCharacterSkipped", "<CURDIR>", "<USER>!", "<CURDIR>!"},
        // A value that names the placeholder that produced it: inserted once more, not again.
        ValueCase{"SelfReferenceEnds", "a<USER>", "<USER>", "aa<USER>"},
        ValueCase{"SelfReferenceTwiceEnds", "a<USER><USER>", "[<USER>]",
                  "[aa<USER><USER>a<USER><USER>]"},
        // What a value's placeholder inserts is not scanned, even when it holds placeholders.
        ValueCase{"SecondLevelNotScanned", "u<PASSWORD>", "<USER>", "usecret"},
        // A "<" of a value is examined like any other: its run may reach into the text after it,
        // which is then upper-cased and scanned on.
        ValueCase{"ValueOpenReachesText", "a<b", "<USER> <cxdir>", "a<B /opt/catalex/"},
        ValueCase{"ValueCompletesPlaceholder", "x<CUR", "<USER>DIR>", "x/pkg/"},
        ValueCase{"ValueOpenWithoutClose", "a<b", "<USER> <cxdir", "a<b <cxdir"}),
    [](const testing::TestParamInfo<ValueCase>& param) { return std::string(param.param.name); });

TEST(Placeholders, EndsWhenEveryValueNamesPlaceholders) {
    TBaseState state;
    const std::string loop = "a<USER><CXDIR><PASSWORD><GROUP>";
    for (std::string* field :
         {&state.CatalexFolder, &state.UserName, &state.UserPassword, &state.UserGroup}) {
        *field = loop;
    }
    std::string text;
    for (int i = 0; i < 20; ++i) {
        text += "<USER><cxdir><Password><GROUP>";
    }
    const std::string result = ExpandPlaceholders(state, "MSSQL", 0, kKeys, text);
    // Each of the 80 placeholders of the text inserts one value, whose four placeholders insert
    // the value once more each, unscanned.
    EXPECT_EQ(result.size(), 80 * (1 + 4 * loop.size()));
}

TEST(Placeholders, RunContextSuppliesStateTypeAndHandle) {
    testsupport::RecordingHost host;
    host.setWindowHandle(77);
    RunContext context(host);
    context.UpdaterState = sampleState();
    context.DatabaseType = "INTRBASE";
    EXPECT_EQ(ExpandPlaceholders(context, "WNDHANDLE=<HANDLE> <BASETYPE> <USER>"),
              "WNDHANDLE=77 FIREBIRD ivanov");
}

TEST(Placeholders, TheRunShiftsWithTheKeyTableOfTheSite) {
    testsupport::TempDir dir;
    const update::connect::ShiftKeyTable site = {3,  3,  3,  3,  3,  3,  3,  3,  3,  3,
                                                 30, 30, 30, 30, 30, 30, 30, 30, 30, 30};
    std::string text;
    for (const auto v : site) {
        text += std::to_string(v) + " ";
    }
    testsupport::writeFile(dir / "keys", text);
    const testsupport::ScopedEnv env("UPDATE_SHIFT_KEY_TABLE", (dir / "keys").string());
    testsupport::RecordingHost host;
    RunContext context(host);
    EXPECT_EQ(context.shiftKeys, site);
    context.UpdaterState.DbUserName = "dbuser";
    EXPECT_EQ(ExpandPlaceholders(context, "<USER_INI>"),
              update::connect::ShiftEncode("dbuser", 2, site));
}

TEST(Placeholders, ManyOpensBeforeOneDistantCloseAreUpperCasedOnce) {
    // Every "<" of the text reaches the one ">" at its end: the whole run is upper case.
    std::string text;
    std::string expected;
    for (int i = 0; i < 64 * 1024; ++i) {
        text += "<a";
        expected += "<A";
    }
    text += "b>c<cxdir>";
    expected += "B>c/opt/catalex/";
    EXPECT_EQ(ExpandPlaceholders(sampleState(), "MSSQL", 0, kKeys, text), expected);
}

// The expansion as first written: the text is changed in place and every "<" searches for its
// ">" afresh. It takes time in proportion to the square of the length for texts with many "<"
// before a distant ">", and is kept here as the reference the expansion must agree with.
std::string referenceExpand(const std::map<std::string, std::string>& values,
                            std::string_view text) {
    std::string work(text);
    std::vector<unsigned char> depth(work.size(), 0);
    std::size_t pos = 0;
    while (pos + 1 < work.size()) {
        if (work[pos] != '<' || depth[pos] > 1) {
            ++pos;
            continue;
        }
        const std::size_t close = work.find('>', pos);
        if (close == std::string::npos) {
            break;
        }
        const std::size_t length = close - pos + 1;
        std::string token = work.substr(pos, length);
        for (char& c : token) {
            c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        }
        const auto found = values.find(token);
        if (found == values.end()) {
            work.replace(pos, length, token);
            ++pos;
            continue;
        }
        const std::string& value = found->second;
        const auto insertedDepth = static_cast<unsigned char>(depth[pos] + 1);
        work.replace(pos, length, value);
        depth.erase(depth.begin() + static_cast<std::ptrdiff_t>(pos),
                    depth.begin() + static_cast<std::ptrdiff_t>(pos + length));
        depth.insert(depth.begin() + static_cast<std::ptrdiff_t>(pos), value.size(), insertedDepth);
        if (!value.empty()) {
            ++pos;
        }
    }
    return work;
}

TEST(Placeholders, AgreesWithTheReferenceOnRandomTexts) {
    // Values that hold "<", ">" and placeholders, their own among them.
    TBaseState state;
    state.CatalexFolder = "c<user>";
    state.UserName = "u<CXDIR>x>";
    state.UserPassword = "<";
    state.UserGroup = ">g<PASSWORD><cxdir";
    state.ProgramFolder = "/p/";
    const std::map<std::string, std::string> values = {
        {"<CXDIR>", state.CatalexFolder},
        {"<USER>", state.UserName},
        {"<PASSWORD>", state.UserPassword},
        {"<GROUP>", state.UserGroup},
        {"<CURDIR>", state.ProgramFolder},
        {"<WNDIR>", ""},
        {"<AUTOLOG>", "False"},
        {"<CXSAVEDAYS>", "0"},
        {"<BASETYPE>", "MSSQL"},
        {"<HANDLE>", "7"},
    };
    const std::vector<std::string> pieces = {
        "<",          ">",       "a",        "Z",       " ",         "<cxdir>",      "<USER>",
        "<password>", "<Group>", "<curdir>", "<WNDIR>", "<autolog>", "<CXSAVEDAYS>", "<basetype>",
        "<HANDLE>",   "<cx",     "dir>",     "<<"};
    std::mt19937 random(20261211);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const auto count = std::uniform_int_distribution<int>(0, 40)(random);
        for (int i = 0; i < count; ++i) {
            text +=
                pieces[std::uniform_int_distribution<std::size_t>(0, pieces.size() - 1)(random)];
        }
        ASSERT_EQ(ExpandPlaceholders(state, "MSSQL", 7, kKeys, text), referenceExpand(values, text))
            << text;
    }
}

} // namespace
} // namespace update::run
