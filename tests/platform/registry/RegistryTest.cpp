#include "platform/registry/Registry.h"

#include "tests/platform/registry/RegistryFixture.h"

#include <functional>

using namespace platform::registry;
using testsupport::readFile;
using testsupport::writeFile;

namespace {

constexpr Root LM = Root::LocalMachine;
constexpr Root CU = Root::CurrentUser;

const std::string kUnchanged = "unchanged";
constexpr std::int32_t kUnchangedInt = 4711;

// One call of every operation on a path, each checked for code and untouched output.
struct AllResults {
    long del, wstr, wbin, rstr, rint, rbin;
    bool exists;
    std::string str, bin;
    std::int32_t n;
};

AllResults callAll(Root root, const std::string& path, const std::string& name) {
    AllResults r{};
    r.str = kUnchanged;
    r.bin = kUnchanged;
    r.n = kUnchangedInt;
    r.rstr = ReadRegString(root, path, name, r.str);
    r.rint = ReadRegInteger(root, path, name, r.n);
    r.rbin = ReadRegBinary(root, path, name, r.bin);
    r.exists = RegKeyExists(root, path);
    r.wstr = WriteRegString(root, path, name, "text");
    r.wbin = WriteRegBinary(root, path, name, "bytes");
    r.del = DeleteRegKey(root, path);
    return r;
}

} // namespace

TEST_F(RegistryTest, BlankKeyPathIsInvalidDataAndTouchesNothing) {
    putStore("[HKEY_LOCAL_MACHINE\\A]\n\"v\"=\"x\"\n\n");
    const std::string before = storeText();
    for (const std::string path : {"", " ", "    ", "\\", "\\\\"}) {
        SCOPED_TRACE("path '" + path + "'");
        const AllResults r = callAll(LM, path, "v");
        EXPECT_EQ(r.del, kInvalidData);
        EXPECT_EQ(r.wstr, kInvalidData);
        EXPECT_EQ(r.wbin, kInvalidData);
        EXPECT_EQ(r.rstr, kInvalidData);
        EXPECT_EQ(r.rint, kInvalidData);
        EXPECT_EQ(r.rbin, kInvalidData);
        EXPECT_FALSE(r.exists);
        EXPECT_EQ(r.str, kUnchanged);
        EXPECT_EQ(r.bin, kUnchanged);
        EXPECT_EQ(r.n, kUnchangedInt);
    }
    EXPECT_EQ(storeText(), before);
    // Nothing is created for the other root either.
    EXPECT_EQ(callAll(CU, "  ", "v").wstr, kInvalidData);
    EXPECT_FALSE(std::filesystem::exists(storePath(CU)));
}

TEST_F(RegistryTest, ReadsFollowTheTypeSizeAndTrimRules) {
    const std::string sz1023(1023, 's');
    std::string hex1024 = "hex:";
    std::string hex1025 = "hex:";
    for (int i = 0; i < 1025; ++i) {
        if (i < 1024) {
            hex1024 += i ? ",61" : "61";
        }
        hex1025 += i ? ",62" : "62";
    }
    putStore("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Korvel]\n"
             "\"Padded\"=\"  \t padded text \\\\ \"\n"
             "\"Trims\"=hex(1):20,00,09,00,61,00,0d,00,0a,00,00,00\n"
             "\"Expand\"=hex(2):25,00,50,00,41,00,54,00,48,00,25,00,00,00\n"
             "\"Multi\"=hex(7):61,00,00,00,62,00,00,00,00,00\n"
             "\"Empty\"=\"\"\n"
             "\"Sz1024\"=\"" +
             sz1023 + "\"\n\"Sz1025\"=\"" + sz1023 +
             "x\"\n"
             "\"Dword\"=dword:12345678\n"
             "\"Minus\"=dword:ffffffff\n"
             "\"Big\"=hex(5):12,34,56,78\n"
             "\"Long\"=hex(4):01,02,03,04,05\n"
             "\"Short\"=hex(4):01,02\n"
             "\"Bin\"=hex:61,62,00\n"
             "\"BinEmpty\"=hex:\n"
             "\"BinOne\"=hex:00\n"
             "\"Bin1024\"=" +
             hex1024 + "\n\"Bin1025\"=" + hex1025 +
             "\n"
             "\"None\"=hex(0):61,00\n"
             "@=\"default\"\n\n"
             "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Korvel\\Каталог]\n"
             "\"Путь\"=\"/opt/каталог\"\n\n");

    enum Kind { Str, Int, Bin };
    struct Case {
        Kind kind;
        std::string key;
        std::string name;
        long code;
        std::string text;    // ReadRegString, ReadRegBinary
        std::int32_t number; // ReadRegInteger
    };
    const std::string k = "SOFTWARE\\Korvel";
    const Case cases[] = {
        {Str, k, "Padded", 0, "padded text \\", 0},
        {Str, k, "Trims", 0, "a", 0},
        {Str, k, "Expand", 0, "%PATH%", 0},
        {Str, k, "Multi", 0, std::string("a\0b", 3), 0},
        {Str, k, "Empty", 0, "", 0},
        {Str, k, "", 0, "default", 0},
        {Str, k, "Sz1024", 0, sz1023, 0},
        {Str, k, "Sz1025", kMoreData, kUnchanged, 0},
        {Str, k, "Dword", kInvalidData, kUnchanged, 0},
        {Str, k, "Bin", kInvalidData, kUnchanged, 0},
        {Str, k, "None", kInvalidData, kUnchanged, 0},
        {Str, k, "Missing", kFileNotFound, kUnchanged, 0},
        {Str, "SOFTWARE\\Nowhere", "Padded", kFileNotFound, kUnchanged, 0},
        // Keys and value names ignore case, Cyrillic letters included.
        {Str, "software\\KORVEL", "padded", 0, "padded text \\", 0},
        {Str, "Software\\Korvel\\КАТАЛОГ", "путь", 0, "/opt/каталог", 0},
        {Str, "\\Software\\\\Korvel\\", "Padded", 0, "padded text \\", 0},
        {Int, k, "Dword", 0, "", 0x12345678},
        {Int, k, "Minus", 0, "", -1},
        {Int, k, "Big", 0, "", 0x78563412},
        {Int, k, "dword", 0, "", 0x12345678},
        {Int, k, "Long", kMoreData, "", kUnchangedInt},
        {Int, k, "Short", kInvalidData, "", kUnchangedInt},
        {Int, k, "Padded", kInvalidData, "", kUnchangedInt},
        {Int, k, "Bin", kInvalidData, "", kUnchangedInt},
        {Int, k, "Missing", kFileNotFound, "", kUnchangedInt},
        {Bin, k, "Bin", 0, "ab", 0},
        {Bin, k, "BinEmpty", 0, "", 0},
        {Bin, k, "BinOne", 0, "", 0},
        {Bin, k, "Bin1024", 0, std::string(1023, 'a'), 0},
        {Bin, k, "Bin1025", kMoreData, kUnchanged, 0},
        {Bin, k, "Padded", kInvalidData, kUnchanged, 0},
        {Bin, k, "Dword", kInvalidData, kUnchanged, 0},
        {Bin, k, "Missing", kFileNotFound, kUnchanged, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key + " / " + c.name);
        std::string text = kUnchanged;
        std::int32_t number = kUnchangedInt;
        switch (c.kind) {
        case Str:
            EXPECT_EQ(ReadRegString(LM, c.key, c.name, text), c.code);
            EXPECT_EQ(text, c.text);
            break;
        case Int:
            EXPECT_EQ(ReadRegInteger(LM, c.key, c.name, number), c.code);
            EXPECT_EQ(number, c.number);
            break;
        case Bin:
            EXPECT_EQ(ReadRegBinary(LM, c.key, c.name, text), c.code);
            EXPECT_EQ(text, c.text);
            break;
        }
    }
    // The same key of the other root is a different key.
    std::string text = kUnchanged;
    EXPECT_EQ(ReadRegString(CU, k, "Padded", text), kFileNotFound);
    EXPECT_EQ(text, kUnchanged);
}

TEST_F(RegistryTest, TheTextLimitCountsWindows1251BytesWhereTheTextHasThem) {
    std::string cyrillic600;
    std::string cyrillic1023;
    for (int i = 0; i < 1023; ++i) {
        (i < 600 ? cyrillic600 : cyrillic1023) += "Ж";
    }
    cyrillic1023 = cyrillic600 + cyrillic1023;
    std::string cjk341; // no windows-1251 form: 3 UTF-8 bytes each
    for (int i = 0; i < 341; ++i) {
        cjk341 += "日";
    }
    const struct {
        const char* what;
        std::string text;
        long code;
    } cases[] = {
        {"600 Cyrillic letters", cyrillic600, kSuccess},
        {"1023 Cyrillic letters and the zero", cyrillic1023, kSuccess},
        {"1024 Cyrillic letters and the zero", cyrillic1023 + "Ж", kMoreData},
        {"1023 UTF-8 bytes without a windows-1251 form", cjk341, kSuccess},
        {"1026 UTF-8 bytes without a windows-1251 form", cjk341 + "日", kMoreData},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(WriteRegString(LM, "Software\\Long", "v", c.text), kSuccess) << c.what;
        std::string back = kUnchanged;
        EXPECT_EQ(ReadRegString(LM, "Software\\Long", "v", back), c.code) << c.what;
        EXPECT_EQ(back, c.code == kSuccess ? c.text : kUnchanged) << c.what;
    }
}

TEST_F(RegistryTest, BinaryWriteAndReadAreInverse) {
    std::string allBytes;
    for (int b = 255; b >= 0; --b) {
        allBytes.push_back(static_cast<char>(b));
    }
    const std::string texts[] = {
        "",
        "a",
        "connection string",
        std::string("\0", 1),
        std::string("a\0b\0", 4),
        "\xFF\xFE\x80 not UTF-8",
        "  blanks and\r\ncontrols\t ",
        allBytes,
        std::string(1023, 'z'), // the longest: 1023 bytes and the zero make 1024
    };
    for (const auto& text : texts) {
        SCOPED_TRACE(::testing::PrintToString(text));
        ASSERT_EQ(WriteRegBinary(LM, "Software\\Bin", "v", text), kSuccess);
        std::string back = kUnchanged;
        ASSERT_EQ(ReadRegBinary(LM, "Software\\Bin", "v", back), kSuccess);
        EXPECT_EQ(back, text);
    }
}

TEST_F(RegistryTest, BinaryValueIsTheTextAndOneZeroByteOrNothing) {
    ASSERT_EQ(WriteRegBinary(LM, "K", "x", "ab"), kSuccess);
    ASSERT_EQ(WriteRegBinary(LM, "K", "e", ""), kSuccess);
    EXPECT_NE(storeText().find("\"x\"=hex:61,62,00\n"), std::string::npos) << storeText();
    EXPECT_NE(storeText().find("\"e\"=hex:\n"), std::string::npos) << storeText();
    std::string text = kUnchanged;
    // One byte more than a read takes.
    ASSERT_EQ(WriteRegBinary(LM, "K", "x", std::string(1024, 'q')), kSuccess);
    EXPECT_EQ(ReadRegBinary(LM, "K", "x", text), kMoreData);
    EXPECT_EQ(text, kUnchanged);
}

TEST_F(RegistryTest, StringsAreStoredAsRegeditWritesThem) {
    ASSERT_EQ(WriteRegString(LM, "Software\\Korvel\\Catalex", "Folder", "C:\\Program \"Files\""),
              kSuccess);
    ASSERT_EQ(WriteRegString(LM, "Software\\Korvel\\Catalex", "", "по умолчанию"), kSuccess);
    EXPECT_EQ(storeText(), "Windows Registry Editor Version 5.00\n\n"
                           "[HKEY_LOCAL_MACHINE\\Software]\n\n"
                           "[HKEY_LOCAL_MACHINE\\Software\\Korvel]\n\n"
                           "[HKEY_LOCAL_MACHINE\\Software\\Korvel\\Catalex]\n"
                           "\"Folder\"=\"C:\\\\Program \\\"Files\\\"\"\n"
                           "@=\"по умолчанию\"\n\n");
    std::string text;
    ASSERT_EQ(ReadRegString(LM, "Software\\Korvel\\Catalex", "folder", text), kSuccess);
    EXPECT_EQ(text, "C:\\Program \"Files\"");
}

TEST_F(RegistryTest, StringsThatAreNotOneLineRoundTrip) {
    const std::string texts[] = {"line one\r\nline two", std::string("a\0b", 3), "", "trailing\\"};
    for (const auto& text : texts) {
        SCOPED_TRACE(::testing::PrintToString(text));
        ASSERT_EQ(WriteRegString(LM, "K", "v", text), kSuccess);
        std::string back = kUnchanged;
        ASSERT_EQ(ReadRegString(LM, "K", "v", back), kSuccess);
        EXPECT_EQ(back, text);
    }
}

TEST_F(RegistryTest, WritesThatTheStoreCannotKeepAreInvalidData) {
    ASSERT_EQ(WriteRegString(LM, "K", "v", "kept"), kSuccess);
    const std::string before = storeText();
    EXPECT_EQ(WriteRegString(LM, "K", "v", "\xC0\xAF not UTF-8"), kInvalidData);
    EXPECT_EQ(WriteRegString(LM, "K", "bad\nname", "x"), kInvalidData);
    EXPECT_EQ(WriteRegBinary(LM, "K\\bad\r\nkey", "v", "x"), kInvalidData);
    EXPECT_EQ(storeText(), before);
}

TEST_F(RegistryTest, NamesKeepTheCaseFirstWritten) {
    ASSERT_EQ(WriteRegString(LM, "Software\\Korvel", "Name", "1"), kSuccess);
    ASSERT_EQ(WriteRegString(LM, "SOFTWARE\\KORVEL\\Ключ", "NAME", "2"), kSuccess);
    ASSERT_EQ(WriteRegString(LM, "software\\korvel", "name", "3"), kSuccess);
    ASSERT_EQ(WriteRegString(LM, "software\\korvel\\КЛЮЧ", "Имя", "4"), kSuccess);
    ASSERT_EQ(WriteRegString(LM, "software\\korvel\\ключ", "ИМЯ", "5"), kSuccess);
    EXPECT_EQ(storeText(), "Windows Registry Editor Version 5.00\n\n"
                           "[HKEY_LOCAL_MACHINE\\Software]\n\n"
                           "[HKEY_LOCAL_MACHINE\\Software\\Korvel]\n"
                           "\"Name\"=\"3\"\n\n"
                           "[HKEY_LOCAL_MACHINE\\Software\\Korvel\\Ключ]\n"
                           "\"NAME\"=\"2\"\n"
                           "\"Имя\"=\"5\"\n\n");
}

TEST_F(RegistryTest, WritingReplacesTheTypeOfAValue) {
    ASSERT_EQ(WriteRegBinary(LM, "K", "v", "bytes"), kSuccess);
    ASSERT_EQ(WriteRegString(LM, "K", "v", "text"), kSuccess);
    std::string text = kUnchanged;
    EXPECT_EQ(ReadRegBinary(LM, "K", "v", text), kInvalidData);
    EXPECT_EQ(ReadRegString(LM, "K", "v", text), kSuccess);
    EXPECT_EQ(text, "text");
}

TEST_F(RegistryTest, RootsAreSeparateStores) {
    ASSERT_EQ(
        WriteRegString(CU, "Software\\Korvel\\Deplox\\Messages", "ExecProcMessageError", "failed"),
        kSuccess);
    EXPECT_TRUE(RegKeyExists(CU, "Software\\Korvel\\Deplox"));
    EXPECT_FALSE(RegKeyExists(LM, "Software\\Korvel\\Deplox"));
    EXPECT_FALSE(std::filesystem::exists(storePath(LM)));
    EXPECT_NE(storeText(CU).find("[HKEY_CURRENT_USER\\Software\\Korvel\\Deplox\\Messages]"),
              std::string::npos);
}

TEST_F(RegistryTest, DeleteRemovesTheKeyWithItsSubkeysOnly) {
    ASSERT_EQ(WriteRegString(LM, "Software\\Korvel\\Plexar\\4.0\\Deep", "v", "1"), kSuccess);
    ASSERT_EQ(WriteRegString(LM, "Software\\Korvel\\Plexar", "v", "1"), kSuccess);
    ASSERT_EQ(WriteRegString(LM, "Software\\Korvel\\Plexar2", "v", "1"), kSuccess);
    ASSERT_EQ(WriteRegString(LM, "Software\\Korvel", "v", "1"), kSuccess);
    EXPECT_EQ(DeleteRegKey(LM, "SOFTWARE\\korvel\\plexar"), kSuccess);
    EXPECT_FALSE(RegKeyExists(LM, "Software\\Korvel\\Plexar"));
    EXPECT_FALSE(RegKeyExists(LM, "Software\\Korvel\\Plexar\\4.0\\Deep"));
    EXPECT_TRUE(RegKeyExists(LM, "Software\\Korvel\\Plexar2"));
    std::string text;
    EXPECT_EQ(ReadRegString(LM, "Software\\Korvel", "v", text), kSuccess);

    const std::string before = storeText();
    EXPECT_EQ(DeleteRegKey(LM, "Software\\Korvel\\Plexar"), kFileNotFound);
    EXPECT_EQ(DeleteRegKey(LM, "Software\\Nowhere\\Plexar"), kFileNotFound);
    EXPECT_EQ(storeText(), before);
}

TEST_F(RegistryTest, WritingCreatesTheParentKeys) {
    EXPECT_FALSE(RegKeyExists(LM, "A"));
    ASSERT_EQ(WriteRegBinary(LM, "A\\B\\C", "v", "x"), kSuccess);
    EXPECT_TRUE(RegKeyExists(LM, "A"));
    EXPECT_TRUE(RegKeyExists(LM, "a\\b"));
    EXPECT_TRUE(RegKeyExists(LM, "A\\B\\C"));
    EXPECT_FALSE(RegKeyExists(LM, "A\\B\\C\\D"));
    // A key without values stays after its only subkey is deleted.
    ASSERT_EQ(DeleteRegKey(LM, "A\\B\\C"), kSuccess);
    EXPECT_TRUE(RegKeyExists(LM, "A\\B"));
}

TEST_F(RegistryTest, MalformedStoreIsNeitherReadNorOverwritten) {
    const std::string damaged = "Windows Registry Editor Version 5.00\n\n"
                                "[HKEY_LOCAL_MACHINE\\Software\\Korvel]\n"
                                "\"Folder\"=\"/opt/korvel\"\n"
                                "\"Cut\"=\"no end";
    for (const std::string& content :
         {damaged, std::string("not a registry file\n"),
          std::string("Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\X]\n"),
          // One byte that is not UTF-8 (windows-1251 "Корвел") refuses the whole store.
          std::string("Windows Registry Editor Version 5.00\n\n"
                      "[HKEY_LOCAL_MACHINE\\Software\\Korvel]\n"
                      "\"Folder\"=\"/opt/\xCA\xEE\xF0\xE2\xE5\xEB\"\n"),
          std::string("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Korvel]\n"
                      "\"Folder\"=\"/opt/\xCA\xEE\xF0\xE2\xE5\xEB\"\n")}) {
        SCOPED_TRACE(content);
        writeFile(storePath(), content);
        const std::string problem = storeProblem(LM);
        EXPECT_NE(problem.find(storePath().string() + " is malformed"), std::string::npos)
            << problem;
        const AllResults r = callAll(LM, "Software\\Korvel", "Folder");
        EXPECT_EQ(r.rstr, kAccessDenied);
        EXPECT_EQ(r.rint, kAccessDenied);
        EXPECT_EQ(r.rbin, kAccessDenied);
        EXPECT_FALSE(r.exists);
        EXPECT_EQ(r.wstr, kAccessDenied);
        EXPECT_EQ(r.wbin, kAccessDenied);
        EXPECT_EQ(r.del, kAccessDenied);
        EXPECT_EQ(r.str, kUnchanged);
        EXPECT_EQ(readFile(storePath()), content);
    }
    // The other root is not affected.
    EXPECT_EQ(WriteRegString(CU, "K", "v", "x"), kSuccess);
    EXPECT_EQ(storeProblem(CU), "");
}

TEST_F(RegistryTest, StoreThatCannotBeReadOrWrittenIsAccessDenied) {
    // The store file is a folder: it can be neither read nor replaced.
    std::filesystem::create_directory(storePath());
    std::filesystem::create_directory(storePath() / "inside");
    const AllResults r = callAll(LM, "K", "v");
    EXPECT_EQ(r.rstr, kAccessDenied);
    EXPECT_EQ(r.wstr, kAccessDenied);
    EXPECT_EQ(r.wbin, kAccessDenied);
    EXPECT_EQ(r.del, kAccessDenied);
    EXPECT_EQ(r.str, kUnchanged);

    // The store folder is a file.
    testsupport::TempDir other;
    writeFile(other / "file", "x");
    testsupport::ScopedEnv env2("UPDATE_REGISTRY_DIR", (other / "file").string());
    EXPECT_EQ(WriteRegString(LM, "K", "v", "x"), kAccessDenied);
    EXPECT_EQ(readFile(other / "file"), "x");
}

TEST_F(RegistryTest, MissingStoreIsEmptyAndCreatedOnFirstWrite) {
    testsupport::ScopedEnv env2("UPDATE_REGISTRY_DIR", (dir / "new" / "folder").string());
    std::string text = kUnchanged;
    EXPECT_EQ(ReadRegString(LM, "K", "v", text), kFileNotFound);
    EXPECT_FALSE(RegKeyExists(LM, "K"));
    EXPECT_EQ(DeleteRegKey(LM, "K"), kFileNotFound);
    EXPECT_EQ(storeProblem(LM), "");
    EXPECT_EQ(WriteRegString(LM, "K", "v", "x"), kSuccess);
    EXPECT_TRUE(std::filesystem::exists(dir / "new" / "folder" / "HKLM.reg"));
}

TEST_F(RegistryTest, StoreFolderFollowsTheEnvironment) {
    {
        testsupport::ScopedEnv env2("UPDATE_REGISTRY_DIR", "/srv/reg");
        EXPECT_EQ(storeFolder(LM), "/srv/reg/");
        EXPECT_EQ(storeFile(CU), "/srv/reg/HKCU.reg");
    }
    testsupport::ScopedEnv unset("UPDATE_REGISTRY_DIR");
    testsupport::ScopedEnv home("HOME", "/home/admin");
    EXPECT_EQ(storeFile(LM), "/var/lib/korvel/registry/HKLM.reg");
    {
        testsupport::ScopedEnv xdg("XDG_CONFIG_HOME", "/cfg/");
        EXPECT_EQ(storeFile(CU), "/cfg/korvel/registry/HKCU.reg");
    }
    testsupport::ScopedEnv noXdg("XDG_CONFIG_HOME");
    EXPECT_EQ(storeFolder(CU), "/home/admin/.config/korvel/registry/");
}

TEST_F(RegistryTest, PathsAndNamesBeyondTheRegistryLimitsAreInvalidData) {
    const auto deep = [](std::size_t levels) {
        std::string path = "Deep";
        for (std::size_t i = 1; i < levels; ++i) {
            path += "\\L";
        }
        return path;
    };
    std::string emoji;
    for (int i = 0; i < 128; ++i) {
        emoji += "😀"; // two UTF-16 units each
    }
    std::string cyrillic;
    for (int i = 0; i < 255; ++i) {
        cyrillic += "ж"; // two bytes, one unit
    }
    struct Case {
        const char* what;
        std::string path;
        std::string name;
        bool kept;
    };
    const Case cases[] = {
        {"512 levels", deep(512), "v", true},
        {"513 levels", deep(513), "v", false},
        {"30,000 levels", deep(30000), "v", false},
        {"key name of 255", "K\\" + std::string(255, 'k'), "v", true},
        {"key name of 256", "K\\" + std::string(256, 'k'), "v", false},
        {"Cyrillic key name of 255", "K\\" + cyrillic, "v", true},
        {"key name of 128 emoji", "K\\" + emoji, "v", false},
        {"value name of 16383", "K", std::string(16383, 'v'), true},
        {"value name of 16384", "K", std::string(16384, 'v'), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.kept) {
            EXPECT_EQ(WriteRegString(LM, c.path, c.name, "x"), kSuccess);
            std::string text;
            EXPECT_EQ(ReadRegString(LM, c.path, c.name, text), kSuccess);
            EXPECT_EQ(DeleteRegKey(LM, c.path), kSuccess);
            continue;
        }
        const std::string before = storeText();
        const AllResults r = callAll(LM, c.path, c.name);
        EXPECT_EQ(r.wstr, kInvalidData);
        EXPECT_EQ(r.wbin, kInvalidData);
        EXPECT_EQ(r.rstr, kInvalidData);
        EXPECT_EQ(r.rint, kInvalidData);
        EXPECT_EQ(r.rbin, kInvalidData);
        EXPECT_EQ(r.str, kUnchanged);
        EXPECT_EQ(storeText(), before);
        if (c.name == "v") { // the key path itself is refused
            EXPECT_EQ(r.del, kInvalidData);
            EXPECT_FALSE(r.exists);
        }
    }
}

TEST_F(RegistryTest, StoreThatIsALinkIsWrittenThroughToItsTarget) {
    namespace fs = std::filesystem;
    testsupport::TempDir real;
    putStore("[HKEY_LOCAL_MACHINE\\Software]\n\"Old\"=\"kept\"\n\n");
    fs::rename(storePath(), real / "site.reg");
    // HKLM.reg -> hop (relative) -> the real file (absolute).
    fs::create_symlink(real / "site.reg", dir / "hop");
    fs::create_symlink("hop", storePath());
    // HKCU.reg -> a file not there yet, in a relative folder.
    fs::create_symlink(fs::path("..") / real.path().filename() / "user.reg", storePath(CU));

    ASSERT_EQ(WriteRegString(LM, "Software", "New", "written"), kSuccess);
    ASSERT_EQ(WriteRegString(CU, "Software", "User", "x"), kSuccess);
    EXPECT_TRUE(fs::is_symlink(storePath()));
    EXPECT_TRUE(fs::is_symlink(dir / "hop"));
    EXPECT_TRUE(fs::is_symlink(storePath(CU)));
    EXPECT_EQ(readFile(real / "site.reg"), "Windows Registry Editor Version 5.00\n\n"
                                           "[HKEY_LOCAL_MACHINE\\Software]\n"
                                           "\"Old\"=\"kept\"\n"
                                           "\"New\"=\"written\"\n\n");
    EXPECT_NE(readFile(real / "user.reg").find("\"User\"=\"x\""), std::string::npos);
    // The lock lies beside the file written, whatever link leads to it.
    EXPECT_TRUE(fs::exists(real / "site.reg.lock"));
    EXPECT_FALSE(fs::exists(dir / "HKLM.reg.lock"));
    std::string text;
    EXPECT_EQ(ReadRegString(LM, "Software", "Old", text), kSuccess);
    EXPECT_EQ(text, "kept");
    EXPECT_EQ(DeleteRegKey(LM, "Software"), kSuccess);
    EXPECT_TRUE(fs::is_symlink(storePath()));
    EXPECT_FALSE(RegKeyExists(LM, "Software"));

    // Links that lead round in a circle are an error, and stay as they are.
    fs::create_symlink("loop", dir / "loop");
    fs::remove(storePath());
    fs::create_symlink("loop", storePath());
    EXPECT_EQ(WriteRegString(LM, "Software", "New", "x"), kAccessDenied);
    EXPECT_NE(storeProblem(LM).find("HKLM.reg"), std::string::npos) << storeProblem(LM);
    EXPECT_TRUE(fs::is_symlink(storePath()));
}
