#pragma once

#include "framework/Exception.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

struct _xmlParserCtxt;

namespace qv::server {

QV_EXCEPTION_CLASS(EXmlError, framework::Exception);

// A parsed XML document, held as a compact tree of elements, and the parser that fills it: one
// object reads one document after the other, keeping its memory, its parser and the names it has
// seen, so that a package of notices costs no more than its parsing. Names read "prefix:local" with the
// caller's prefix for each namespace, whatever prefixes the document itself declares; names in
// other namespaces read "{uri}local", names in none just "local". Only elements without child
// elements keep their text. Documents are read in UTF-8; a document type declaration is refused,
// so that nothing is ever expanded but the predefined entities and character references, and so
// is everything that would cost the parser far more than its size (see XmlPrescan), so that any
// document is read in time that grows with its size. Read with libxml2; elements nest at most
// 256 deep, as the parser allows.
class XmlDocument {
public:
    // Namespace URI and the prefix its names are given with.
    using Prefixes = std::vector<std::pair<std::string, std::string>>;

    // Each element costs a few dozen bytes: this bounds the memory a document may take.
    static constexpr uint32_t kMaxElements = 1000000;
    // Distinct names of elements, attributes and processing instructions in one document: a
    // notice has a few hundred.
    static constexpr size_t kMaxNames = 10000;
    // About what an element of a notice takes in the text; the tree is sized for it up front.
    static constexpr size_t kBytesPerElement = 48;

    // Names kept from one document to the next, at most, here and in the parser's own table; a
    // document after one that brought many more starts afresh.
    static constexpr size_t kMaxKeptNames = 20000;

    explicit XmlDocument(Prefixes prefixes);
    ~XmlDocument();
    XmlDocument(const XmlDocument&) = delete;
    XmlDocument& operator=(const XmlDocument&) = delete;

    // Reads a document in place of the one before, whose elements are gone then. Raises
    // EXmlError with the reason and the line for input that is not well-formed XML, declares a
    // document type, holds more than kMaxElements elements or kMaxNames names, or is refused by
    // the pre-scan; the document is empty after that.
    void Parse(std::string_view bytes);

private:
    friend class XmlElement;
    struct Builder;

    static constexpr uint32_t kNone = UINT32_MAX;

    struct Node {
        uint32_t name;
        uint32_t firstChild;
        uint32_t nextSibling;
        uint32_t textBegin;
        uint32_t textLength;
        uint32_t attributeBegin;
        uint32_t attributeCount;
    };
    struct Attribute {
        uint32_t name;
        uint32_t valueBegin;
        uint32_t valueLength;
    };
    struct NameHash {
        using is_transparent = void;
        size_t operator()(std::string_view name) const { return std::hash<std::string_view>()(name); }
    };

    // The parser gives each name as the same pair of pointers for as long as it keeps its table
    // of names: a small table of those pairs spares most lookups by text.
    struct CachedName {
        const void* uri;
        const void* local;
        uint32_t id;
    };
    static constexpr size_t kCacheSlots = 1024;

    // kNone when no element or attribute of the document has that name.
    uint32_t NameId(std::string_view name) const;
    // The id of a name as the parser gives it (namespace URI or none, and local name), counted
    // for the document in hand.
    uint32_t Intern(const char* uri, const char* local);
    uint32_t InternText(const char* uri, const char* local);
    std::string Canonical(const char* uri, const char* local) const;
    // Forgets every name and the parser with its table of names.
    void StartAfresh();
    std::string_view Characters(uint32_t begin, uint32_t length) const {
        return {characters_.data() + begin, length};
    }

    const Prefixes prefixes_;
    std::vector<Node> nodes_;
    std::vector<Attribute> attributes_;
    // Texts and attribute values, one after the other.
    std::string characters_;
    std::unordered_map<std::string, uint32_t, NameHash, std::equal_to<>> nameIds_;
    // The keys of nameIds_ by id.
    std::vector<const std::string*> names_;
    // Ids by namespace URI, a separator and local name, as the parser gives them.
    std::unordered_map<std::string, uint32_t, NameHash, std::equal_to<>> rawIds_;
    std::string rawKey_;
    std::vector<CachedName> cache_;
    size_t cached_ = 0;
    // By id: the number of the last document that used the name, to count names per document.
    std::vector<uint64_t> lastUse_;
    uint64_t documentNumber_ = 0;
    size_t documentNames_ = 0;
    std::unique_ptr<_xmlParserCtxt, void (*)(_xmlParserCtxt*)> parser_;
};

} // namespace qv::server
