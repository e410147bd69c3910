#include "platform/xml/Xml.h"

#include "platform/os/File.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

namespace platform::xml {

namespace {

void initialiseLibxml() {
    static const bool done = [] {
        LIBXML_TEST_VERSION
        xmlInitParser();
        return true;
    }();
    (void)done;
}

// Collects the parser's first error instead of letting libxml2 print it; the previous
// handlers come back when the parse is over.
class ErrorCapture {
public:
    ErrorCapture()
        : oldStructured_(xmlStructuredError), oldStructuredContext_(xmlStructuredErrorContext),
          oldGeneric_(xmlGenericError), oldGenericContext_(xmlGenericErrorContext) {
        xmlSetStructuredErrorFunc(this, &ErrorCapture::onError);
        xmlSetGenericErrorFunc(nullptr, &ErrorCapture::ignoreGeneric);
    }
    ~ErrorCapture() {
        xmlSetStructuredErrorFunc(oldStructuredContext_, oldStructured_);
        xmlSetGenericErrorFunc(oldGenericContext_, oldGeneric_);
    }
    ErrorCapture(const ErrorCapture&) = delete;
    ErrorCapture& operator=(const ErrorCapture&) = delete;

    // The first error (not warning) reported, or the context's last one.
    std::string reason(xmlParserCtxtPtr ctxt) const {
        if (!first_.empty()) {
            return first_;
        }
        if (ctxt != nullptr && ctxt->lastError.code != XML_ERR_OK) {
            return describe(&ctxt->lastError);
        }
        return "not a well-formed XML document";
    }

private:
    static void onError(void* self, xmlErrorPtr error) {
        auto* capture = static_cast<ErrorCapture*>(self);
        if (error != nullptr && error->level >= XML_ERR_ERROR && capture->first_.empty()) {
            capture->first_ = describe(error);
        }
    }
    static void ignoreGeneric(void*, const char*, ...) {}

    static std::string describe(const xmlError* error) {
        std::string message = error->message != nullptr ? error->message : "unknown error";
        while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) {
            message.pop_back();
        }
        for (char& c : message) {
            if (c == '\n') {
                c = ' '; // some reasons come on two lines
            }
        }
        if (error->line > 0) {
            return "line " + std::to_string(error->line) + ": " + message;
        }
        return message;
    }

    xmlStructuredErrorFunc oldStructured_;
    void* oldStructuredContext_;
    xmlGenericErrorFunc oldGeneric_;
    void* oldGenericContext_;
    std::string first_;
};

std::string readWholeFile(const std::string& path) {
    try {
        return platform::os::readWholeFile(path);
    } catch (const platform::os::FileError& e) {
        throw XmlError(path + ": " + e.what());
    }
}

bool isWhitespaceOnly(const xmlChar* content) {
    if (content == nullptr) {
        return true;
    }
    for (const xmlChar* c = content; *c != 0; ++c) {
        if (*c != ' ' && *c != '\t' && *c != '\n' && *c != '\r') {
            return false;
        }
    }
    return true;
}

// Text nodes made of whitespace only are layout, not content: they are dropped, except
// inside xml:space="preserve", so that the first child of
//   <SQL>
//     <![CDATA[...]]>
//   </SQL>
// is the CDATA section.
void dropLayoutWhitespace(xmlNodePtr parent) {
    xmlNodePtr node = parent->children;
    while (node != nullptr) {
        xmlNodePtr next = node->next;
        if (node->type == XML_TEXT_NODE && isWhitespaceOnly(node->content) &&
            xmlNodeGetSpacePreserve(parent) != 1) {
            xmlUnlinkNode(node);
            xmlFreeNode(node);
        } else if (node->type == XML_ELEMENT_NODE) {
            dropLayoutWhitespace(node);
        }
        node = next;
    }
}

// Replaces the references to entities declared in the document with their text, below parent
// (an element's children or an attribute's value). The parser itself never substitutes
// entities, so it never opens anything an external entity or DTD names; a reference to an
// entity that is not declared with its text in the document is refused here.
class EntitySubstitution {
public:
    EntitySubstitution(xmlDocPtr doc, const std::string& name) : doc_(doc), name_(name) {}

    void below(xmlNodePtr parent) {
        if (parent->type == XML_ELEMENT_NODE) {
            for (xmlAttrPtr attr = parent->properties; attr != nullptr; attr = attr->next) {
                below(reinterpret_cast<xmlNodePtr>(attr));
            }
        }
        for (xmlNodePtr node = parent->children; node != nullptr;) {
            xmlNodePtr next = node->next;
            if (node->type == XML_ENTITY_REF_NODE) {
                replace(node);
            } else if (node->type == XML_ELEMENT_NODE) {
                below(node);
            }
            node = next;
        }
        mergeTexts(parent);
    }

private:
    // Documents whose entities expand beyond this are refused (entities that name each other
    // can grow a small file without bound).
    static constexpr std::size_t kMostNodes = 1000000;
    static constexpr std::size_t kMostBytes = 64 * 1024 * 1024;

    void replace(xmlNodePtr reference) {
        const std::string entityName = reinterpret_cast<const char*>(reference->name);
        const xmlEntityPtr entity = xmlGetDocEntity(doc_, reference->name);
        if (entity == nullptr || entity->etype != XML_INTERNAL_GENERAL_ENTITY) {
            fail("the entity &" + entityName +
                 "; is not declared with its text in the document; no other entity is read");
        }
        // The entity's text as nodes, in a holder of their own until they take the
        // reference's place.
        xmlNodePtr holder = xmlNewDocNode(doc_, nullptr, BAD_CAST "entity", nullptr);
        if (holder == nullptr) {
            fail("out of memory");
        }
        xmlNodePtr content = entity->children != nullptr
                                 ? xmlDocCopyNodeList(doc_, entity->children)
                                 : xmlStringGetNodeList(doc_, entity->content);
        if (content != nullptr) {
            xmlAddChildList(holder, content);
        }
        try {
            count(holder);
            below(holder);
        } catch (...) {
            xmlFreeNode(holder);
            throw;
        }
        while (holder->children != nullptr) {
            xmlNodePtr child = holder->children;
            xmlUnlinkNode(child);
            xmlAddPrevSibling(reference, child); // may merge child into a text before it
        }
        xmlFreeNode(holder);
        xmlUnlinkNode(reference);
        xmlFreeNode(reference);
    }

    void count(xmlNodePtr parent) {
        for (xmlNodePtr node = parent->children; node != nullptr; node = node->next) {
            ++nodes_;
            if (node->content != nullptr && node->type != XML_ENTITY_REF_NODE) {
                bytes_ += static_cast<std::size_t>(xmlStrlen(node->content));
            }
            if (nodes_ > kMostNodes || bytes_ > kMostBytes) {
                fail("its entities expand to more text than a document may hold");
            }
            if (node->type == XML_ELEMENT_NODE) {
                count(node);
            }
        }
    }

    // Text that a substitution has left in pieces becomes one text again.
    static void mergeTexts(xmlNodePtr parent) {
        for (xmlNodePtr node = parent->children; node != nullptr; node = node->next) {
            while (node->type == XML_TEXT_NODE && node->next != nullptr &&
                   node->next->type == XML_TEXT_NODE && node->name == node->next->name) {
                xmlNodeAddContent(node, node->next->content);
                xmlNodePtr merged = node->next;
                xmlUnlinkNode(merged);
                xmlFreeNode(merged);
            }
        }
    }

    [[noreturn]] void fail(const std::string& reason) const {
        throw XmlError(name_ + ": " + reason);
    }

    xmlDocPtr doc_;
    const std::string& name_;
    std::size_t nodes_ = 0;
    std::size_t bytes_ = 0;
};

std::string qualifiedName(const xmlChar* name, const xmlNs* ns) {
    std::string out;
    if (ns != nullptr && ns->prefix != nullptr) {
        out = reinterpret_cast<const char*>(ns->prefix);
        out.push_back(':');
    }
    if (name != nullptr) {
        out += reinterpret_cast<const char*>(name);
    }
    return out;
}

xmlAttrPtr findAttribute(xmlNodePtr node, std::string_view name) {
    if (node == nullptr || node->type != XML_ELEMENT_NODE) {
        return nullptr;
    }
    for (xmlAttrPtr attr = node->properties; attr != nullptr; attr = attr->next) {
        if (qualifiedName(attr->name, attr->ns) == name) {
            return attr;
        }
    }
    return nullptr;
}

std::string attributeValue(xmlAttrPtr attr) {
    xmlChar* value = xmlNodeListGetString(attr->doc, attr->children, 1);
    if (value == nullptr) {
        return {};
    }
    std::string out(reinterpret_cast<const char*>(value));
    xmlFree(value);
    return out;
}

} // namespace

bool Element::isElement() const {
    return node_ != nullptr && node_->type == XML_ELEMENT_NODE;
}

std::string Element::name() const {
    if (node_ == nullptr) {
        return {};
    }
    return qualifiedName(node_->name, node_->type == XML_ELEMENT_NODE ? node_->ns : nullptr);
}

Element Element::child(std::string_view name) const {
    if (node_ == nullptr) {
        return Element();
    }
    for (xmlNodePtr node = node_->children; node != nullptr; node = node->next) {
        if (node->type == XML_ELEMENT_NODE && qualifiedName(node->name, node->ns) == name) {
            return Element(node);
        }
    }
    return Element();
}

std::vector<Element> Element::children() const {
    std::vector<Element> out;
    if (node_ == nullptr) {
        return out;
    }
    for (xmlNodePtr node = node_->children; node != nullptr; node = node->next) {
        if (node->type == XML_ELEMENT_NODE) {
            out.emplace_back(node);
        }
    }
    return out;
}

std::vector<std::pair<std::string, std::string>> Element::attributes() const {
    std::vector<std::pair<std::string, std::string>> out;
    if (!isElement()) {
        return out;
    }
    for (xmlAttrPtr attr = node_->properties; attr != nullptr; attr = attr->next) {
        out.emplace_back(qualifiedName(attr->name, attr->ns), attributeValue(attr));
    }
    return out;
}

std::string Element::attribute(std::string_view name) const {
    const xmlAttrPtr attr = findAttribute(node_, name);
    return attr != nullptr ? attributeValue(attr) : std::string();
}

bool Element::hasAttribute(std::string_view name) const {
    return findAttribute(node_, name) != nullptr;
}

std::string Element::firstChildValue() const {
    if (node_ == nullptr || node_->children == nullptr) {
        return {};
    }
    const xmlNodePtr first = node_->children;
    if ((first->type == XML_TEXT_NODE || first->type == XML_CDATA_SECTION_NODE) &&
        first->content != nullptr) {
        return reinterpret_cast<const char*>(first->content);
    }
    return {};
}

bool Element::hasChildNodes() const {
    return node_ != nullptr && node_->children != nullptr;
}

Document Document::load(const std::string& path) {
    const std::string bytes = readWholeFile(path);
    return parse(bytes, path);
}

Document Document::parse(std::string_view content, const std::string& name) {
    initialiseLibxml();
    if (content.size() > static_cast<std::size_t>(INT_MAX)) {
        throw XmlError(name + ": the file is too large");
    }
    xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
    if (ctxt == nullptr) {
        throw XmlError(name + ": out of memory");
    }
    // No network, no external DTD, no entity substitution by the parser: the document cannot
    // make the parser read anything but the bytes given here. Entities declared with their
    // text in the document are substituted afterwards (EntitySubstitution).
    constexpr int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
    xmlDocPtr doc = nullptr;
    std::string reason;
    {
        ErrorCapture capture;
        doc = xmlCtxtReadMemory(ctxt, content.data(), static_cast<int>(content.size()),
                                name.c_str(), nullptr, options);
        if (doc == nullptr || !ctxt->wellFormed) {
            reason = capture.reason(ctxt);
        }
    }
    xmlFreeParserCtxt(ctxt);
    if (doc != nullptr && !reason.empty()) {
        xmlFreeDoc(doc);
        doc = nullptr;
    }
    if (doc == nullptr) {
        throw XmlError(name + ": " + reason);
    }
    if (xmlDocGetRootElement(doc) == nullptr) {
        xmlFreeDoc(doc);
        throw XmlError(name + ": the document has no top-level element");
    }
    try {
        EntitySubstitution(doc, name).below(reinterpret_cast<xmlNodePtr>(doc));
    } catch (const XmlError&) {
        xmlFreeDoc(doc);
        throw;
    }
    dropLayoutWhitespace(reinterpret_cast<xmlNodePtr>(doc));
    return Document(doc, name);
}

Document::Document(_xmlDoc* doc, std::string path) : doc_(doc), path_(std::move(path)) {}

Document::Document(Document&& other) noexcept
    : doc_(std::exchange(other.doc_, nullptr)), path_(std::move(other.path_)) {}

Document& Document::operator=(Document&& other) noexcept {
    if (this != &other) {
        if (doc_ != nullptr) {
            xmlFreeDoc(doc_);
        }
        doc_ = std::exchange(other.doc_, nullptr);
        path_ = std::move(other.path_);
    }
    return *this;
}

Document::~Document() {
    if (doc_ != nullptr) {
        xmlFreeDoc(doc_);
    }
}

Element Document::root() const {
    return Element(doc_ != nullptr ? xmlDocGetRootElement(doc_) : nullptr);
}

} // namespace platform::xml
