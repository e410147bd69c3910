#include "platform/xml/Xml.h"

#include "platform/text/Text.h"
#include "tests/support/TempDir.h"

#include <functional>
#include <gtest/gtest.h>

using platform::xml::Document;
using platform::xml::Element;
using platform::xml::XmlError;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

// UTF-16 little endian with a byte-order mark, from UTF-8 text (BMP characters only).
std::string utf16le(const std::string& utf8) {
    std::string out = "\xFF\xFE";
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        char32_t cp = 0;
        if (b < 0x80) {
            cp = b;
            i += 1;
        } else if ((b & 0xE0) == 0xC0) {
            cp = ((b & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu);
            i += 2;
        } else {
            cp = ((b & 0x0Fu) << 12) | ((static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu) << 6) |
                 (static_cast<unsigned char>(utf8[i + 2]) & 0x3Fu);
            i += 3;
        }
        out.push_back(static_cast<char>(cp & 0xFF));
        out.push_back(static_cast<char>(cp >> 8));
    }
    return out;
}

std::string what(const std::function<void()>& f) {
    try {
        f();
    } catch (const XmlError& e) {
        return e.what();
    }
    return "(no XmlError)";
}

} // namespace

TEST(XmlEncoding, DeclaredEncodingDecidesAndValuesComeOutAsUtf8) {
    const std::string body = "<ROOT NAME=\"Обновление базы\">Справочник №1</ROOT>";
    struct Case {
        const char* encoding;
        std::string bytes;
    };
    const Case cases[] = {
        {"UTF-8", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + body},
        {"UTF-8 without declaration", body},
        {"UTF-16", utf16le("<?xml version=\"1.0\" encoding=\"UTF-16\"?>" + body)},
        {"windows-1251",
         "<?xml version=\"1.0\" encoding=\"windows-1251\"?>" + platform::text::utf8ToCp1251(body)},
    };
    TempDir dir;
    for (const auto& c : cases) {
        const auto path = (dir / "cfg.xml").string();
        writeFile(path, c.bytes);
        const Document doc = Document::load(path);
        EXPECT_EQ(doc.path(), path);
        EXPECT_EQ(doc.root().name(), "ROOT") << c.encoding;
        EXPECT_EQ(doc.root().attribute("NAME"), "Обновление базы") << c.encoding;
        EXPECT_EQ(doc.root().firstChildValue(), "Справочник №1") << c.encoding;
    }
}

TEST(XmlTree, ChildrenInDocumentOrderWithoutTextOrComments) {
    const Document doc = Document::parse("<R>text<!-- c --><A/>\n  <B/><?pi x?><![CDATA[d]]><A "
                                         "N=\"2\"/>tail<C/></R>",
                                         "mem");
    std::vector<std::string> names;
    for (const Element& e : doc.root().children()) {
        EXPECT_TRUE(e.isElement());
        names.push_back(e.name());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"A", "B", "A", "C"}));
}

TEST(XmlTree, FirstChildByExactNameAmongDuplicates) {
    const Document doc = Document::parse(
        "<R><versions N=\"lower\"/><VERSIONS N=\"1\"/><VERSIONS N=\"2\"/></R>", "mem");
    EXPECT_EQ(doc.root().child("VERSIONS").attribute("N"), "1");
    EXPECT_EQ(doc.root().child("versions").attribute("N"), "lower");
    EXPECT_FALSE(doc.root().child("Versions"));
    EXPECT_FALSE(doc.root().child("VERSIONS").child("X"));
    // A missing element reads as nothing all the way down.
    const Element none = doc.root().child("NONE").child("X");
    EXPECT_FALSE(none);
    EXPECT_EQ(none.attribute("N"), "");
    EXPECT_TRUE(none.children().empty());
    EXPECT_EQ(none.firstChildValue(), "");
}

TEST(XmlTree, AttributesInOrderAbsentVersusEmpty) {
    const Document doc = Document::parse(
        "<R TABLE_NAME=\"T\" BLOB_FIELD_2=\"B2\" GUID_FIELD_2=\"\" BLOB_FIELD_1='B1' "
        "A=\"x &amp; &#1046; &lt;\"/>",
        "mem");
    const Element r = doc.root();
    const std::vector<std::pair<std::string, std::string>> expected = {{"TABLE_NAME", "T"},
                                                                       {"BLOB_FIELD_2", "B2"},
                                                                       {"GUID_FIELD_2", ""},
                                                                       {"BLOB_FIELD_1", "B1"},
                                                                       {"A", "x & Ж <"}};
    EXPECT_EQ(r.attributes(), expected);
    EXPECT_TRUE(r.hasAttribute("GUID_FIELD_2"));
    EXPECT_EQ(r.attribute("GUID_FIELD_2"), "");
    EXPECT_FALSE(r.hasAttribute("GUID_FIELD_1"));
    EXPECT_EQ(r.attribute("GUID_FIELD_1"), "");
    EXPECT_FALSE(r.hasAttribute("table_name"));
}

TEST(XmlTree, FirstChildValue) {
    struct Case {
        const char* what;
        const char* xml;
        const char* value;
        bool hasChildNodes;
    };
    const Case cases[] = {
        {"text kept whole", "<S>  select 1\r\n  from t;  </S>", "  select 1\n  from t;  ", true},
        {"CDATA", "<S><![CDATA[a < b; <x>]]></S>", "a < b; <x>", true},
        {"CDATA after layout whitespace", "<S>\n   <![CDATA[update t]]>\n</S>", "update t", true},
        {"only the first node counts", "<S>one<![CDATA[two]]></S>", "one", true},
        {"first node a comment", "<S><!-- c -->text</S>", "", true},
        {"first node an element", "<S><X>in</X>after</S>", "", true},
        {"empty element", "<S/>", "", false},
        {"whitespace only", "<S>   </S>", "", false},
        {"whitespace kept under xml:space", "<S xml:space=\"preserve\">  </S>", "  ", true},
    };
    for (const auto& c : cases) {
        const Document doc = Document::parse(c.xml, "mem");
        EXPECT_EQ(doc.root().firstChildValue(), c.value) << c.what;
        EXPECT_EQ(doc.root().hasChildNodes(), c.hasChildNodes) << c.what;
    }
}

TEST(XmlErrors, NotWellFormedNamesFileAndReason) {
    TempDir dir;
    const auto path = (dir / "updcfg.xml").string();
    writeFile(path, "<ROOT>\n  <SETTINGS>\n</ROOT>\n");
    const std::string message = what([&] { Document::load(path); });
    EXPECT_NE(message.find(path), std::string::npos) << message;
    EXPECT_NE(message.find("line 3"), std::string::npos) << message;
    EXPECT_NE(message.find("mismatch"), std::string::npos) << message;
}

TEST(XmlErrors, BadInputsAreErrorsNotEmptyDocuments) {
    struct Case {
        const char* what;
        std::string bytes;
        const char* reasonPart;
    };
    const Case cases[] = {
        {"empty file", "", "empty"},
        {"no element", "<?xml version=\"1.0\"?>", ""},
        {"two top-level elements", "<A/><B/>", "Extra content"},
        {"unknown encoding", "<?xml version=\"1.0\" encoding=\"x-none\"?><A/>", "encoding"},
        {"bytes not in the declared encoding", "<?xml version=\"1.0\"?><A>\xFF\xFE</A>", ""},
    };
    for (const auto& c : cases) {
        const std::string message = what([&] { Document::parse(c.bytes, "/pkg/s.xml"); });
        EXPECT_EQ(message.rfind("/pkg/s.xml: ", 0), 0u) << c.what << ": " << message;
        EXPECT_NE(message.find(c.reasonPart), std::string::npos) << c.what << ": " << message;
    }
}

TEST(XmlErrors, UnreadableFileNamesFileAndReason) {
    TempDir dir;
    const auto missing = (dir / "absent.xml").string();
    const std::string message = what([&] { Document::load(missing); });
    EXPECT_NE(message.find(missing), std::string::npos) << message;
    EXPECT_NE(message.find("No such file"), std::string::npos) << message;
    EXPECT_NE(what([&] { Document::load(dir.str()); }).find("directory"), std::string::npos);
}

TEST(XmlSafety, ExternalEntitiesAndDtdsAreNeverRead) {
    TempDir dir;
    const auto secret = (dir / "secret.txt").string();
    writeFile(secret, "SECRET");
    const std::string cases[] = {
        "<!DOCTYPE R [<!ENTITY e SYSTEM \"file://" + secret + "\">]><R A=\"x\">&e;</R>",
        "<!DOCTYPE R [<!ENTITY % p SYSTEM \"file://" + secret + "\"> %p;]><R>&e;</R>",
        "<!DOCTYPE R SYSTEM \"" + secret + "\"><R/>",
    };
    for (const auto& xml : cases) {
        try {
            const Document doc = Document::parse(xml, (dir / "x.xml").string());
            EXPECT_EQ(doc.root().firstChildValue().find("SECRET"), std::string::npos) << xml;
            for (const auto& [name, value] : doc.root().attributes()) {
                EXPECT_EQ(value.find("SECRET"), std::string::npos) << xml;
            }
        } catch (const XmlError& e) {
            EXPECT_EQ(std::string(e.what()).find("SECRET"), std::string::npos) << e.what();
        }
    }
}

TEST(XmlDocument, MovedDocumentKeepsItsTree) {
    Document a = Document::parse("<A N=\"1\"/>", "a");
    Document b = std::move(a);
    EXPECT_EQ(b.root().attribute("N"), "1");
    b = Document::parse("<B N=\"2\"/>", "b");
    EXPECT_EQ(b.root().name(), "B");
    EXPECT_EQ(b.path(), "b");
}
