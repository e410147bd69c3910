#pragma once

// A small wrapper over libxml2 for the configuration and script files. Values come out as
// UTF-8 whatever encoding the file declares (UTF-8, UTF-16, windows-1251 ...).

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct _xmlDoc;
struct _xmlNode;

namespace platform::xml {

// A file that cannot be read or is not well-formed. The message names the file and the
// parser's reason.
class XmlError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A non-owning view of an element (or another node) of a loaded Document. Valid while the
// document lives. A default-constructed Element is "none" (operator bool is false).
class Element {
public:
    Element() = default;
    explicit Element(_xmlNode* node) : node_(node) {}

    explicit operator bool() const { return node_ != nullptr; }
    bool isElement() const;

    // The element's name as written.
    std::string name() const;
    // The first child element with exactly this name, or none.
    Element child(std::string_view name) const;
    // The child elements in document order (text, comments and the like are left out).
    std::vector<Element> children() const;
    // Attributes as (name, value) in document order.
    std::vector<std::pair<std::string, std::string>> attributes() const;
    // The attribute's value; the empty text when absent.
    std::string attribute(std::string_view name) const;
    bool hasAttribute(std::string_view name) const;
    // The value of the element's first child node when it is text or CDATA; the empty text
    // when the element has no child node or its first child is of another kind.
    std::string firstChildValue() const;
    // True when the element has at least one child node of any kind.
    bool hasChildNodes() const;

    _xmlNode* raw() const { return node_; }

private:
    _xmlNode* node_ = nullptr;
};

// A loaded XML document; owns the libxml2 tree. Text nodes made of whitespace only are layout
// and are dropped (except under xml:space="preserve"), so the first child of an element that
// holds an indented CDATA section is that section. Entities declared with their text in the
// document's own DTD (<!ENTITY v 'x'>) are replaced by that text, in element text and in
// attributes; no external DTD or entity is ever read, and a reference to one is an XmlError.
class Document {
public:
    // Loads a file; its XML declaration (or byte-order mark) decides the encoding.
    // Throws XmlError naming the file and the parser's reason.
    static Document load(const std::string& path);
    // Parses a document held in memory; name is used in error messages.
    static Document parse(std::string_view content, const std::string& name);

    Document(Document&&) noexcept;
    Document& operator=(Document&&) noexcept;
    ~Document();

    // The document (top-level) element.
    Element root() const;
    const std::string& path() const { return path_; }

private:
    Document(_xmlDoc* doc, std::string path);
    _xmlDoc* doc_ = nullptr;
    std::string path_;
};

} // namespace platform::xml
