#include "platform/text/IniFile.h"

#include "platform/text/Text.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <stdexcept>

using platform::text::IniFile;
using platform::text::IniFileError;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

// An ini file much like catalex.ini, with the traps the lookups must get right.
const char* const sampleIni = "\xEF\xBB\xBF"
                              "Orphan=before any section\r\n"
                              "[user]\r\n"
                              "FlagWinUser=TRUE\r\n"
                              "SwapLine = 25 \r\n"
                              "swapline=99\r\n"
                              "; FontName=commented out\r\n"
                              "  Path Slaid  =  a value ; not a comment  \r\n"
                              "NoEqualsSign\r\n"
                              "Quoted=\"  padded  \"\r\n"
                              "Single='x'\r\n"
                              "Unbalanced=\"x\r\n"
                              "Inner=a \"b\" c\r\n"
                              "Empty=\r\n"
                              "Eq=a=b\r\n"
                              "[ Путь ]\n"
                              "Каталог=Рисунки\n"
                              "[USER]\n"
                              "FontName=second section is never searched\n"
                              "[Script]\n"
                              "Timeout=15000\n"
                              "[empty]\n";

} // namespace

TEST(IniFile, Lookups) {
    const IniFile ini = IniFile::parse(sampleIni);
    struct Case {
        const char* section;
        const char* key;
        std::optional<std::string> value;
    };
    const Case cases[] = {
        {"user", "FlagWinUser", "TRUE"},
        {"USER", "flagwinuser", "TRUE"},
        {"user", "SwapLine", "25"}, // the first of two keys, blanks trimmed
        {"user", "Path Slaid", "a value ; not a comment"},
        {"user", "; FontName", std::nullopt},
        {"user", "FontName", std::nullopt}, // not looked for in the second [USER]
        {"user", "NoEqualsSign", std::nullopt},
        {"user", "Quoted", "  padded  "},
        {"user", "Single", "x"},
        {"user", "Unbalanced", "\"x"},
        {"user", "Inner", "a \"b\" c"},
        {"user", "Empty", ""},
        {"user", "Eq", "a=b"},
        {"user", "Orphan", std::nullopt},
        {"путь", "КАТАЛОГ", "Рисунки"},
        {"ПУТЬ", "каталог", "Рисунки"},
        {"script", "TIMEOUT", "15000"},
        {"font", "FontName", std::nullopt},
        {"Script", "Absent", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ini.value(c.section, c.key), c.value) << c.section << " / " << c.key;
    }
    EXPECT_EQ(ini.readString("font", "FontName", "Rararazorud"), "Rararazorud");
    EXPECT_EQ(ini.readString("user", "Empty", "default"), ""); // present but empty
    EXPECT_TRUE(ini.hasSection("EMPTY"));
    EXPECT_TRUE(ini.hasSection("путь"));
    EXPECT_FALSE(ini.hasSection("font"));
}

TEST(IniFile, Integers) {
    struct Case {
        const char* value;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"42", 42},
        {"  -7  ", -7},
        {"+8", 8},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"2147483648", -1}, // out of range
        {"12abc", -1},
        {"1 2", -1},
        {"abc", -1},
        {"", -1},
        {"0x1F", 31},
        {"0XfF", 255},
        {"$10", 16},
        {"-0x10", -16},
        {"0xFFFFFFFF", -1}, // the 32 bits
        {"0x7FFFFFFF", INT32_MAX},
        {"0x100000000", -1}, // too many digits
        {"0x", -1},
        {"0xG", -1},
        {"\"12\"", 12}, // quotes go before the number is read
    };
    for (const auto& c : cases) {
        const IniFile ini = IniFile::parse(std::string("[s]\nk=") + c.value + "\n");
        EXPECT_EQ(ini.readInteger("s", "k", -1), c.expected) << c.value;
    }
    const IniFile ini = IniFile::parse("[s]\none=1\nzero=0\nword=TRUE\n");
    EXPECT_EQ(ini.readInteger("s", "absent", 30000), 30000);
    EXPECT_TRUE(ini.readBool("s", "one", false));
    EXPECT_FALSE(ini.readBool("s", "zero", true));
    EXPECT_TRUE(ini.readBool("s", "word", true));
    EXPECT_FALSE(ini.readBool("s", "word", false));
    EXPECT_FALSE(ini.readBool("s", "absent", false));
}

TEST(IniFile, LoadDecodesWindows1251AndKeepsUtf8) {
    TempDir dir;
    const std::string text =
        "[Шрифт]\r\nFontName=Арial Кириллица\r\n[path]\r\nPathTemp=C:\\Темп\\\r\n";
    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        {"windows-1251", platform::text::utf8ToCp1251(text)},
        {"UTF-8", text},
        {"UTF-8 with BOM", "\xEF\xBB\xBF" + text},
    };
    for (const auto& c : cases) {
        const auto path = (dir / "catalex.ini").string();
        writeFile(path, c.bytes);
        const IniFile ini = IniFile::load(path);
        EXPECT_EQ(ini.readString("шрифт", "fontname", ""), "Арial Кириллица") << c.what;
        EXPECT_EQ(ini.readString("PATH", "PathTemp", ""), "C:\\Темп\\") << c.what;
    }
}

TEST(IniFile, MissingFileIsAnErrorNamingIt) {
    TempDir dir;
    const auto path = (dir / "catalex.ini").string();
    try {
        IniFile::load(path);
        FAIL() << "no exception";
    } catch (const IniFileError& e) {
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
    EXPECT_THROW(IniFile::load(dir.str()), IniFileError); // a folder is not a file
}
