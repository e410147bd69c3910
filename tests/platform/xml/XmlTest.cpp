#include "platform/xml/Xml.h"

#include "platform/text/Text.h"
#include "platform/text/Utf16.h"
#include "tests/support/TempDir.h"

#include <arpa/inet.h>
#include <cerrno>
#include <functional>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using platform::xml::Document;
using platform::xml::Element;
using platform::xml::XmlError;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

// UTF-16 little endian with a byte-order mark, from UTF-8 text.
std::string utf16le(const std::string& utf8) {
    return "\xFF\xFE" + platform::text::utf8ToUtf16le(utf8);
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

TEST(XmlEntities, InternalEntitiesAreSubstitutedInTextAndAttributes) {
    const std::string dtd = "<!DOCTYPE S [<!ENTITY v 'x'><!ENTITY w 'a&v;b'>"
                            "<!ENTITY m '<B N=\"&v;\">t</B>'><!ENTITY e ''>]>";
    struct Case {
        const char* what;
        std::string body;
        std::string text;      // firstChildValue of S
        std::string attribute; // attribute A of S
    };
    const Case cases[] = {
        {"before text", "<S>&v;y</S>", "xy", ""},
        {"between texts", "<S>a&v;&v;b</S>", "axxb", ""},
        {"in an entity", "<S>&w;</S>", "axb", ""},
        {"empty entity", "<S>a&e;b</S>", "ab", ""},
        {"predefined and character references", "<S>&lt;&v;&#x41;</S>", "<xA", ""},
        {"attribute", "<S A=\"&v;y&w;\"/>", "", "xyaxb"},
    };
    for (const auto& c : cases) {
        const Document doc = Document::parse(dtd + c.body, "e.xml");
        EXPECT_EQ(doc.root().firstChildValue(), c.text) << c.what;
        EXPECT_EQ(doc.root().attribute("A"), c.attribute) << c.what;
    }
    const Document markup = Document::parse(dtd + "<S>&m;</S>", "e.xml");
    const Element b = markup.root().child("B");
    ASSERT_TRUE(b) << "an entity's elements take the reference's place";
    EXPECT_EQ(b.firstChildValue(), "t");
    EXPECT_EQ(b.attribute("N"), "x");
}

TEST(XmlEntities, EntitiesThatGrowWithoutBoundAreRefused) {
    std::string dtd = "<!DOCTYPE S [<!ENTITY l0 'lol'>";
    for (int i = 1; i <= 9; ++i) {
        std::string ten;
        for (int j = 0; j < 10; ++j) {
            ten += "&l" + std::to_string(i - 1) + ";";
        }
        dtd += "<!ENTITY l" + std::to_string(i) + " '" + ten + "'>";
    }
    EXPECT_THROW(Document::parse(dtd + "]><S>&l9;</S>", "laughs.xml"), XmlError);
}

TEST(XmlSafety, AnExternalEntityIsRefusedEvenWhenItsFileExists) {
    TempDir dir;
    const auto secret = (dir / "secret.txt").string();
    writeFile(secret, "SECRET");
    const std::string message = what([&] {
        Document::parse("<!DOCTYPE R [<!ENTITY e SYSTEM \"" + secret + "\">]><R>&e;</R>", "x.xml");
    });
    EXPECT_NE(message.find("&e;"), std::string::npos) << message;
    EXPECT_EQ(message.find("SECRET"), std::string::npos) << message;
}

TEST(XmlSafety, NothingIsFetchedFromTheNetwork) {
    // A listening socket on the loopback; the documents name it, and no connection may reach it.
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    ASSERT_GE(listener, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 8), 0);
    socklen_t length = sizeof address;
    ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
    const std::string url = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/x";
    const std::string documents[] = {
        "<!DOCTYPE R [<!ENTITY e SYSTEM \"" + url + "\">]><R>&e;</R>",
        "<!DOCTYPE R [<!ENTITY % p SYSTEM \"" + url + "\"> %p;]><R/>",
        "<!DOCTYPE R SYSTEM \"" + url + "\"><R/>",
        "<R xmlns:xi=\"http://www.w3.org/2001/XInclude\"><xi:include href=\"" + url + "\"/></R>",
    };
    for (const auto& xml : documents) {
        try {
            (void)Document::parse(xml, "n.xml");
        } catch (const XmlError&) {
        }
        const int connection = ::accept(listener, nullptr, nullptr);
        EXPECT_LT(connection, 0) << "a connection was made for " << xml;
        EXPECT_TRUE(errno == EAGAIN || errno == EWOULDBLOCK) << xml;
        if (connection >= 0) {
            ::close(connection);
        }
    }
    ::close(listener);
}

TEST(XmlDocument, MovedDocumentKeepsItsTree) {
    Document a = Document::parse("<A N=\"1\"/>", "a");
    Document b = std::move(a);
    EXPECT_EQ(b.root().attribute("N"), "1");
    b = Document::parse("<B N=\"2\"/>", "b");
    EXPECT_EQ(b.root().name(), "B");
    EXPECT_EQ(b.path(), "b");
}
