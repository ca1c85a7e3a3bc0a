#include "server/import/XmlDocument.h"

#include "framework/Format.h"
#include "server/import/XmlPrescan.h"

#include <algorithm>
#include <climits>
#include <libxml/SAX2.h>
#include <libxml/dict.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>

namespace qv::server {

namespace {

// Parts the namespace URI from the local name in the keys of names as the parser gives them.
constexpr char kSeparator = '\x1F';

const char* Text(const xmlChar* text) {
    return reinterpret_cast<const char*>(text);
}

} // namespace

struct XmlDocument::Builder {
    struct Open {
        uint32_t index;
        uint32_t lastChild;
    };

    explicit Builder(XmlDocument& built) : document(built) {}

    XmlDocument& document;
    xmlParserCtxtPtr parser = nullptr;
    std::vector<Open> open;
    std::string refusal;
    std::string error;
    int errorLine = 0;

    void Refuse(std::string reason) {
        if (refusal.empty()) refusal = std::move(reason);
        xmlStopParser(parser);
    }

    // The parser keeps every name in a table whose lookups slow down as it fills.
    bool TooManyNames() {
        if (document.documentNames_ <= kMaxNames) return false;
        Refuse(framework::Format("more than %zu names", kMaxNames));
        return true;
    }

    static void Start(void* data, const xmlChar* local, const xmlChar*, const xmlChar* uri, int,
                      const xmlChar**, int attributeCount, int, const xmlChar** attributes) {
        auto& self = *static_cast<Builder*>(data);
        auto& doc = self.document;
        if (doc.nodes_.size() >= kMaxElements)
            return self.Refuse(framework::Format("more than %u elements", kMaxElements));
        const uint32_t name = doc.Intern(Text(uri), Text(local));
        const auto index = static_cast<uint32_t>(doc.nodes_.size());
        if (!self.open.empty()) {
            Open& parent = self.open.back();
            Node& parentNode = doc.nodes_[parent.index];
            if (parent.lastChild == kNone) {
                // An element with children keeps no text: what came before its first child goes.
                doc.characters_.resize(parentNode.textBegin);
                parentNode.firstChild = index;
            } else {
                doc.nodes_[parent.lastChild].nextSibling = index;
            }
            parent.lastChild = index;
        }
        Node node{name,
                  kNone,
                  kNone,
                  0,
                  0,
                  static_cast<uint32_t>(doc.attributes_.size()),
                  static_cast<uint32_t>(attributeCount)};
        // Five pointers an attribute: local name, prefix, URI, start and end of the value.
        for (int i = 0; i < attributeCount; ++i, attributes += 5) {
            const auto begin = static_cast<uint32_t>(doc.characters_.size());
            doc.characters_.append(Text(attributes[3]), static_cast<size_t>(attributes[4] - attributes[3]));
            doc.attributes_.push_back({doc.Intern(Text(attributes[2]), Text(attributes[0])), begin,
                                       static_cast<uint32_t>(doc.characters_.size() - begin)});
        }
        if (self.TooManyNames()) return;
        node.textBegin = static_cast<uint32_t>(doc.characters_.size());
        doc.nodes_.push_back(node);
        self.open.push_back({index, kNone});
    }

    static void End(void* data, const xmlChar*, const xmlChar*, const xmlChar*) {
        auto& self = *static_cast<Builder*>(data);
        // A refused start tag may still hear its end tag, for an element never opened.
        if (!self.refusal.empty() || self.open.empty()) return;
        const Open closed = self.open.back();
        self.open.pop_back();
        Node& node = self.document.nodes_[closed.index];
        if (closed.lastChild == kNone)
            node.textLength = static_cast<uint32_t>(self.document.characters_.size() - node.textBegin);
    }

    static void Characters(void* data, const xmlChar* text, int length) {
        auto& self = *static_cast<Builder*>(data);
        if (!self.open.empty() && self.open.back().lastChild == kNone)
            self.document.characters_.append(Text(text), static_cast<size_t>(length));
    }

    static void Instruction(void* data, const xmlChar* target, const xmlChar*) {
        auto& self = *static_cast<Builder*>(data);
        self.document.Intern(nullptr, Text(target));
        self.TooManyNames();
    }

    // Called before the parser reads the declarations inside, none of which a notice needs:
    // entities may expand without end, and defaulted attributes cost every element they name.
    static void DocumentType(void* data, const xmlChar*, const xmlChar*, const xmlChar*) {
        static_cast<Builder*>(data)->Refuse("declares a document type, which is not accepted");
    }

    // Keeps the first error and stops there, since the parser would go on reading, at full cost,
    // a document already refused; warnings are no reason to refuse a document.
    static void Failed(void* data, xmlErrorPtr failure) {
        auto& self = *static_cast<Builder*>(data);
        if (failure->level < XML_ERR_ERROR || !self.error.empty()) return;
        xmlStopParser(self.parser);
        // The first line: some messages go on with the bytes in question.
        const std::string_view message = failure->message ? failure->message : "unreadable";
        self.error = message.substr(0, message.find('\n'));
        while (!self.error.empty() && self.error.back() == ' ')
            self.error.pop_back();
        self.errorLine = failure->line;
    }
};

XmlDocument::XmlDocument(Prefixes prefixes)
    : prefixes_(std::move(prefixes)), cache_(kCacheSlots), parser_(nullptr, xmlFreeParserCtxt) {}

XmlDocument::~XmlDocument() = default;

void XmlDocument::StartAfresh() {
    nameIds_.clear();
    names_.clear();
    rawIds_.clear();
    lastUse_.clear();
    std::fill(cache_.begin(), cache_.end(), CachedName{});
    cached_ = 0;
    parser_.reset();
}

void XmlDocument::Parse(std::string_view bytes) {
    nodes_.clear();
    attributes_.clear();
    characters_.clear();
    if (names_.size() > kMaxKeptNames || cached_ >= kCacheSlots * 3 / 4 ||
        (parser_ && static_cast<size_t>(xmlDictSize(parser_->dict)) > kMaxKeptNames))
        StartAfresh();
    ++documentNumber_;
    documentNames_ = 0;
    if (bytes.size() > INT_MAX) throw EXmlError("larger than the XML parser takes");
    if (bytes.find_first_not_of(" \t\r\n") == std::string_view::npos)
        throw EXmlError("not well-formed XML: the document is empty");
    if (auto refusal = XmlPrescan::Refusal(bytes)) throw EXmlError(std::move(*refusal));
    static const xmlSAXHandler handler = [] {
        xmlInitParser();
        xmlSAXHandler events{};
        events.initialized = XML_SAX2_MAGIC;
        events.startElementNs = Builder::Start;
        events.endElementNs = Builder::End;
        events.characters = Builder::Characters;
        events.ignorableWhitespace = Builder::Characters;
        events.cdataBlock = Builder::Characters;
        events.internalSubset = Builder::DocumentType;
        events.processingInstruction = Builder::Instruction;
        events.serror = Builder::Failed;
        return events;
    }();
    if (!parser_) {
        parser_.reset(xmlNewParserCtxt());
        if (!parser_ || !parser_->sax) throw EXmlError("out of memory for the XML parser");
        // The context owns its handler table; ours takes the place of the default one in it.
        *parser_->sax = handler;
    }
    nodes_.reserve(bytes.size() / kBytesPerElement);
    characters_.reserve(bytes.size() / 2);
    Builder builder(*this);
    builder.parser = parser_.get();
    parser_->userData = &builder;
    // The context is reset first, its table of names kept. Without XML_PARSE_NOENT no entity is
    // expanded, and no DTD or other file is ever loaded. A declared encoding is not followed: the
    // bytes read as the pre-scan saw them. The parser builds a document of its own around a type
    // declaration; nothing here reads it.
    xmlFreeDoc(xmlCtxtReadMemory(parser_.get(), bytes.data(), static_cast<int>(bytes.size()), nullptr,
                                 nullptr, XML_PARSE_NONET | XML_PARSE_IGNORE_ENC));
    if (!builder.refusal.empty() || !parser_->wellFormed || !parser_->nsWellFormed) nodes_.clear();
    if (!builder.refusal.empty())
        throw EXmlError(
            framework::Format("%s (line %d)", builder.refusal.c_str(), xmlSAX2GetLineNumber(parser_.get())));
    if (nodes_.empty())
        throw EXmlError(framework::Format("not well-formed XML: %s (line %d)",
                                          builder.error.empty() ? "no element" : builder.error.c_str(),
                                          builder.errorLine));
}

std::string XmlDocument::Canonical(const char* uri, const char* local) const {
    if (!uri) return local;
    for (const auto& [knownUri, prefix] : prefixes_)
        if (knownUri == uri) return prefix + ":" + local;
    return "{" + std::string(uri) + "}" + local;
}

uint32_t XmlDocument::Intern(const char* uri, const char* local) {
    size_t slot = (std::hash<const void*>()(uri) * 31 + std::hash<const void*>()(local)) % kCacheSlots;
    for (; cache_[slot].local && (cache_[slot].local != local || cache_[slot].uri != uri);
         slot = (slot + 1) % kCacheSlots) {}
    uint32_t id = cache_[slot].id;
    if (!cache_[slot].local) {
        id = InternText(uri, local);
        // Three quarters full, the table takes no more: the rest are looked up by text.
        if (cached_ < kCacheSlots * 3 / 4) {
            cache_[slot] = {uri, local, id};
            ++cached_;
        }
    }
    if (lastUse_[id] != documentNumber_) {
        lastUse_[id] = documentNumber_;
        ++documentNames_;
    }
    return id;
}

uint32_t XmlDocument::InternText(const char* uri, const char* local) {
    rawKey_.assign(uri ? uri : "").append(1, kSeparator).append(local);
    if (const auto found = rawIds_.find(rawKey_); found != rawIds_.end()) return found->second;
    const auto [entry, added] = nameIds_.emplace(Canonical(uri, local), static_cast<uint32_t>(names_.size()));
    if (added) {
        names_.push_back(&entry->first);
        lastUse_.push_back(0);
    }
    rawIds_.emplace(rawKey_, entry->second);
    return entry->second;
}

uint32_t XmlDocument::NameId(std::string_view name) const {
    const auto found = nameIds_.find(name);
    return found == nameIds_.end() ? kNone : found->second;
}

} // namespace qv::server
