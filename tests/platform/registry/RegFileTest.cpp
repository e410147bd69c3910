#include "platform/registry/RegFile.h"

#include "platform/text/Utf16.h"

#include <gtest/gtest.h>
#include <sstream>

using namespace platform::registry;

namespace {

// The whole tree as one text, every name, type and byte shown.
void describe(std::ostringstream& out, const RegKey& key, const std::string& indent) {
    out << indent << '[' << key.name() << "]\n";
    for (const auto& v : key.values()) {
        out << indent << "  " << ::testing::PrintToString(v.name) << ' ' << v.type << ' '
            << ::testing::PrintToString(v.data) << '\n';
    }
    for (const auto& sub : key.subkeys()) {
        describe(out, sub, indent + "  ");
    }
}

std::string describe(const RegKey& key) {
    std::ostringstream out;
    describe(out, key, "");
    return out.str();
}

RegKey load(Root root, std::string_view text) {
    RegKey top;
    applyScript(parseRegText(text), root, top);
    return top;
}

// A text value's data: the text and its terminating zero.
std::string z(const std::string& text) {
    return text + '\0';
}

std::string utf16FileOf(const std::string& utf8) {
    return "\xFF\xFE" + platform::text::utf8ToUtf16le(utf8);
}

} // namespace

TEST(RegFile, EveryKindOfValueSurvivesWriteAndRead) {
    std::string allBytes;
    for (int b = 0; b < 256; ++b) {
        allBytes.push_back(static_cast<char>(b));
    }
    RegKey top;
    RegKey& k = top.create({"SOFTWARE", "Korvel", "Catalex"});
    k.setValue("Plain", kRegSz, z("text"));
    k.setValue("", kRegSz, z("default"));
    k.setValue("Quote \"and\\ back\\", kRegSz, z("C:\\dir\\\"x\"\\"));
    k.setValue("Кириллица", kRegSz, z("значение 😀"));
    k.setValue("Lines", kRegSz, z("a\r\nb"));
    k.setValue("NoZero", kRegSz, "abc");
    k.setValue("EmptySz", kRegSz, "");
    k.setValue("InnerZero", kRegSz, std::string("a\0b\0", 4));
    k.setValue("Expand", kRegExpandSz, z("%TEMP%\\x"));
    k.setValue("Multi", kRegMultiSz, std::string("один\0two😀\0\0", 18));
    k.setValue("Dword", kRegDword, std::string("\x78\x56\x34\x12", 4));
    k.setValue("OddDword", kRegDword, std::string("\x01\x02", 2));
    k.setValue("Big", kRegDwordBigEndian, std::string("\x12\x34\x56\x78", 4));
    k.setValue("Binary", kRegBinary, allBytes);
    k.setValue("EmptyBinary", kRegBinary, "");
    k.setValue("Qword", 11, std::string("\x01\x00\x00\x00\x00\x00\x00\x80", 8));
    k.setValue("None", kRegNone, std::string("\0\xff", 2));
    top.create({"SOFTWARE", "Korvel", "Empty key"});
    top.create({" spaced ]key[ ", "-dash"}).setValue("=", kRegSz, z("="));
    top.create({"Software2"});

    const std::string text = formatRegText(Root::CurrentUser, {}, top);
    const RegKey back = load(Root::CurrentUser, text);
    EXPECT_EQ(describe(back), describe(top)) << text;
    EXPECT_EQ(formatRegText(Root::CurrentUser, {}, back), text);
    // Lines of hex data stay short enough for the registry editor.
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_LE(line.size(), 80u) << line;
    }
}

TEST(RegFile, ReadsWhatTheRegistryEditorWrites) {
    const std::string file =
        "Windows Registry Editor Version 5.00\r\n"
        "\r\n"
        "; exported by regedit\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Korvel\\Catalex\\4.0]\r\n"
        "\"CurrentVersion\"=\"4.0.1\"\r\n"
        "\"Path\"=hex(2):43,00,3a,00,5c,00,4b,00,6f,00,72,00,76,00,65,00,6c,00,5c,00,\\\r\n"
        "  00,00\r\n"
        "\"Items\"=hex(7):61,00,00,00,1f,04,40,04,00,00,00,00\r\n"
        "\"Flag\"=dword:0000001F\r\n"
        "@=\"d\"\r\n"
        "\r\n"
        "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Korvel\\Old]\r\n"
        "\"Ignored\"=\"inside a deleted key\"\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Korvel\\Catalex\\4.0]\r\n"
        "\"CurrentVersion\"=-\r\n"
        "\"Later\" = \"spaces around =\"\r\n";
    for (const std::string& bytes : {utf16FileOf(file), "\xEF\xBB\xBF" + file, file}) {
        const RegScript script = parseRegText(bytes);
        ASSERT_EQ(script.sections.size(), 3u);
        EXPECT_FALSE(script.touches(Root::CurrentUser));
        EXPECT_TRUE(script.sections[1].remove);
        EXPECT_TRUE(script.sections[1].values.empty());
        EXPECT_EQ(script.sections[1].line, 12);

        RegKey top;
        top.create({"Software", "Korvel", "Old", "Sub"}).setValue("x", kRegSz, "y");
        top.create({"Software", "Korvel", "Catalex", "4.0"})
            .setValue("currentversion", kRegSz, "old");
        applyScript(script, Root::LocalMachine, top);
        EXPECT_EQ(top.find({"software", "korvel", "old"}), nullptr);
        const RegKey* k = top.find({"SOFTWARE", "KORVEL", "CATALEX", "4.0"});
        ASSERT_NE(k, nullptr);
        EXPECT_EQ(k->findValue("CurrentVersion"), nullptr);
        ASSERT_NE(k->findValue("Path"), nullptr);
        EXPECT_EQ(k->findValue("Path")->type, kRegExpandSz);
        EXPECT_EQ(k->findValue("Path")->data, z("C:\\Korvel\\"));
        EXPECT_EQ(k->findValue("Items")->data, std::string("a\0Пр\0\0", 8));
        EXPECT_EQ(k->findValue("Flag")->data, std::string("\x1f\0\0\0", 4));
        EXPECT_EQ(k->findValue("")->data, z("d"));
        EXPECT_EQ(k->findValue("later")->data, z("spaces around ="));
    }
}

TEST(RegFile, ReadsRegedit4FilesInTheProductCodePage) {
    // "REGEDIT4" files are 8-bit; one that is not UTF-8 is windows-1251.
    const std::string file = "REGEDIT4\n\n[HKCU\\Software\\\xCA\xEE\xF0\xE2\xE5\xEB]\n"
                             "\"\xC8\xEC\xFF\"=\"\xE7\xED\xE0\xF7\xE5\xED\xE8\xE5\"\n"
                             "\"Exp\"=hex(2):25,41,25,00\n";
    const RegKey top = load(Root::CurrentUser, file);
    const RegKey* k = top.find({"Software", "Корвел"});
    ASSERT_NE(k, nullptr);
    ASSERT_NE(k->findValue("имя"), nullptr);
    EXPECT_EQ(k->findValue("имя")->data, z("значение"));
    EXPECT_EQ(k->findValue("Exp")->data, z("%A%"));
}

TEST(RegFile, ExportOfOneKeyNamesItsFullPath) {
    RegKey key("Catalex");
    key.setValue("v", kRegDword, std::string("\1\0\0\0", 4));
    key.create({"Sub"});
    EXPECT_EQ(formatRegText(Root::LocalMachine, {"Software", "Catalex"}, key),
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Catalex]\n"
              "\"v\"=dword:00000001\n\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Catalex\\Sub]\n\n");
}

TEST(RegFile, MalformedTextNamesTheLine) {
    struct Case {
        const char* what;
        std::string text;
        int line;
    };
    const std::string h = "Windows Registry Editor Version 5.00\n\n";
    std::string deep513;
    for (int i = 0; i < 513; ++i) {
        deep513 += "\\L";
    }
    const Case cases[] = {
        {"no header", "[HKEY_CURRENT_USER\\A]\n", 1},
        {"empty file", "", 1},
        {"wrong header", "\n\nWindows Registry Editor Version 4.00\n", 3},
        {"value before a key", h + "\"a\"=\"b\"\n", 3},
        {"unknown root", h + "[HKEY_CLASSES_ROOT\\.txt]\n", 3},
        {"no closing bracket", h + "[HKEY_CURRENT_USER\\A\n", 3},
        {"text after bracket", h + "[HKEY_CURRENT_USER\\A] x\n", 3},
        {"deleting a root", h + "[-HKEY_CURRENT_USER]\n", 3},
        {"value in a root", h + "[HKEY_CURRENT_USER]\n\"a\"=\"b\"\n", 4},
        {"open quote", h + "[HKCU\\A]\n\"a\"=\"b\n", 4},
        {"open name", h + "[HKCU\\A]\n\"a=\"b\"\n", 4},
        {"text after string", h + "[HKCU\\A]\n\"a\"=\"b\" c\n", 4},
        {"no equals", h + "[HKCU\\A]\n\"a\" \"b\"\n", 4},
        {"bad dword", h + "[HKCU\\A]\n\"a\"=dword:1234567890\n", 4},
        {"empty dword", h + "[HKCU\\A]\n\"a\"=dword:\n", 4},
        {"bad hex byte", h + "[HKCU\\A]\n\"a\"=hex:01,2g\n", 4},
        {"hex byte too long", h + "[HKCU\\A]\n\"a\"=hex:012\n", 4},
        {"empty hex byte", h + "[HKCU\\A]\n\"a\"=hex:01,,02\n", 4},
        {"cut off in a continuation", h + "[HKCU\\A]\n\"a\"=hex:01,\\", 4},
        {"bad type", h + "[HKCU\\A]\n\"a\"=hex(z):00\n", 4},
        {"unknown data", h + "[HKCU\\A]\n\"a\"=qword:1\n", 4},
        {"stray line", h + "[HKCU\\A]\nloose text\n", 4},
        {"key 513 levels deep", h + "[HKCU" + deep513 + "]\n", 3},
        {"key deleted 513 levels deep", h + "[-HKCU" + deep513 + "]\n", 3},
        {"key name of 256", h + "[HKCU\\" + std::string(256, 'k') + "]\n", 3},
        {"version 5.00 in windows-1251", h + "[HKCU\\A]\n\"a\"=\"\xE7\xED\"\n", 4},
        {"version 5.00 with a byte-order mark in windows-1251",
         "\xEF\xBB\xBF" + h + "[HKCU\\A]\r\n\r\n[HKCU\\\xC0]\n", 5},
        {"odd hex(7) text", h + "[HKCU\\A]\n\"a\"=hex(7):61\n", 4},
        {"lone high surrogate in hex(1)", h + "[HKCU\\A]\n\"a\"=hex(1):3d,d8,61,00\n", 4},
        {"high surrogate at the end of hex(1)", h + "[HKCU\\A]\n\"a\"=hex(1):61,00,3d,d8\n", 4},
        {"lone low surrogate in hex(2)", h + "[HKCU\\A]\n\"a\"=hex(2):00,de,00,00\n", 4},
        {"UTF-16 file of an odd length", utf16FileOf(h + "[HKCU\\A]\n") + "x", 4},
        {"lone surrogate in a UTF-16 file",
         utf16FileOf(h) + std::string("\x00\xd8", 2) + platform::text::utf8ToUtf16le("\n"), 3},
        {"value name of 16384", h + "[HKCU\\A]\n\"" + std::string(16384, 'v') + "\"=\"\"\n", 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            parseRegText(c.text);
            ADD_FAILURE() << "no error";
        } catch (const RegFormatError& e) {
            EXPECT_EQ(e.line(), c.line) << e.what();
            EXPECT_EQ(std::string(e.what()).rfind("line " + std::to_string(c.line) + ": ", 0), 0u)
                << e.what();
        }
    }
}

TEST(RegFile, KeysAtTheDepthLimitAreReadAndWritten) {
    std::string deep512;
    KeyPath path;
    for (int i = 0; i < 512; ++i) {
        deep512 += "\\L" + std::to_string(i);
        path.push_back("L" + std::to_string(i));
    }
    const RegKey top = load(Root::CurrentUser, "Windows Registry Editor Version 5.00\n\n[HKCU" +
                                                   deep512 + "]\n\"v\"=dword:00000001\n");
    ASSERT_NE(top.find(path), nullptr);
    const std::string text = formatRegText(Root::CurrentUser, {}, top);
    EXPECT_EQ(describe(load(Root::CurrentUser, text)), describe(top));
}

TEST(RegFile, StoreFilesMustBeUtf8) {
    const std::string body = "[HKEY_CURRENT_USER\\Software\\\xCA\xEE\xF0\xE2\xE5\xEB]\n";
    struct Case {
        const char* what;
        std::string text;
        int line;
    };
    const Case refused[] = {
        {"REGEDIT4 in windows-1251", "REGEDIT4\n\n" + body, 3},
        {"REGEDIT4 text data in windows-1251", "REGEDIT4\n\n[HKCU\\A]\n\"x\"=hex(1):e7,ed,00\n", 4},
        {"UTF-16", utf16FileOf("Windows Registry Editor Version 5.00\n"), 1},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.what);
        EXPECT_NO_THROW(parseRegText(c.text, RegSource::ImportFile));
        try {
            parseRegText(c.text, RegSource::StoreFile);
            ADD_FAILURE() << "no error";
        } catch (const RegFormatError& e) {
            EXPECT_EQ(e.line(), c.line) << e.what();
        }
    }
    const std::string utf8 = "\xEF\xBB\xBFWindows Registry Editor Version 5.00\n\n[HKCU\\Корвел]\n";
    EXPECT_EQ(parseRegText(utf8, RegSource::StoreFile).sections.at(0).path.at(0), "Корвел");
}
