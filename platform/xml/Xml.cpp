#include "platform/xml/Xml.h"

#include "platform/os/File.h"

#include <cerrno>
#include <climits>
#include <cstring>
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
    // No network, no external DTD, no entity substitution: the document cannot make the
    // parser read anything but the bytes given here.
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
