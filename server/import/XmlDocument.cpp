#include "server/import/XmlDocument.h"

#include "framework/Format.h"
#include "server/import/XmlElement.h"

#include <climits>
#include <expat.h>
#include <memory>

namespace qv::server {

namespace {

// Splits a namespace URI from the local name in the names the parser hands over.
constexpr char kSeparator = '\x1F';

} // namespace

struct XmlDocument::Builder {
    struct Open {
        uint32_t index;
        uint32_t lastChild;
    };

    XmlDocument& document;
    const Prefixes& prefixes;
    XML_Parser parser;
    std::vector<Open> open;
    // Names as the parser gives them, with their ids.
    std::unordered_map<std::string, uint32_t, NameHash, std::equal_to<>> rawIds;
    std::string refusal;

    std::string Canonical(std::string_view raw) const {
        const size_t separator = raw.find(kSeparator);
        if (separator == std::string_view::npos) return std::string(raw);
        const std::string_view uri = raw.substr(0, separator);
        const std::string_view local = raw.substr(separator + 1);
        for (const auto& [knownUri, prefix] : prefixes)
            if (uri == knownUri) return prefix + ":" + std::string(local);
        return "{" + std::string(uri) + "}" + std::string(local);
    }

    uint32_t Intern(const char* raw) {
        const std::string_view name(raw);
        if (const auto found = rawIds.find(name); found != rawIds.end()) return found->second;
        const auto [entry, added] =
            document.nameIds_.emplace(Canonical(name), static_cast<uint32_t>(document.names_.size()));
        if (added) document.names_.push_back(&entry->first);
        rawIds.emplace(name, entry->second);
        return entry->second;
    }

    uint32_t Append(const char* text) {
        const auto begin = static_cast<uint32_t>(document.characters_.size());
        document.characters_ += text;
        return begin;
    }

    void Refuse(std::string reason) {
        if (refusal.empty()) refusal = std::move(reason);
        XML_StopParser(parser, XML_FALSE);
    }

    static void Start(void* data, const XML_Char* name, const XML_Char** attributes) {
        auto& self = *static_cast<Builder*>(data);
        auto& doc = self.document;
        if (doc.nodes_.size() >= kMaxElements)
            return self.Refuse(framework::Format("more than %u elements", kMaxElements));
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
        Node node{self.Intern(name), kNone, kNone, 0, 0, static_cast<uint32_t>(doc.attributes_.size()), 0};
        for (; attributes[0]; attributes += 2, ++node.attributeCount) {
            const uint32_t attributeName = self.Intern(attributes[0]);
            const uint32_t begin = self.Append(attributes[1]);
            doc.attributes_.push_back(
                {attributeName, begin, static_cast<uint32_t>(doc.characters_.size() - begin)});
        }
        node.textBegin = static_cast<uint32_t>(doc.characters_.size());
        doc.nodes_.push_back(node);
        self.open.push_back({index, kNone});
    }

    static void End(void* data, const XML_Char*) {
        auto& self = *static_cast<Builder*>(data);
        // A refused start tag still hears its end tag, for an element never opened.
        if (!self.refusal.empty()) return;
        const Open closed = self.open.back();
        self.open.pop_back();
        Node& node = self.document.nodes_[closed.index];
        if (closed.lastChild == kNone)
            node.textLength = static_cast<uint32_t>(self.document.characters_.size() - node.textBegin);
    }

    static void Characters(void* data, const XML_Char* text, int length) {
        auto& self = *static_cast<Builder*>(data);
        if (!self.open.empty() && self.open.back().lastChild == kNone)
            self.document.characters_.append(text, static_cast<size_t>(length));
    }

    static void EntityDeclared(void* data, const XML_Char*, int, const XML_Char*, int, const XML_Char*,
                               const XML_Char*, const XML_Char*, const XML_Char*) {
        static_cast<Builder*>(data)->Refuse("declares entities, which are not accepted");
    }
};

XmlDocument::XmlDocument(std::string_view bytes, const Prefixes& prefixes) {
    if (bytes.size() > INT_MAX) throw EXmlError("larger than the XML parser takes");
    const std::unique_ptr<XML_ParserStruct, void (*)(XML_Parser)> parser(
        XML_ParserCreateNS(nullptr, kSeparator), XML_ParserFree);
    if (!parser) throw EXmlError("out of memory for the XML parser");
    Builder builder{*this, prefixes, parser.get(), {}, {}, {}};
    XML_SetUserData(parser.get(), &builder);
    XML_SetElementHandler(parser.get(), Builder::Start, Builder::End);
    XML_SetCharacterDataHandler(parser.get(), Builder::Characters);
    XML_SetEntityDeclHandler(parser.get(), Builder::EntityDeclared);
    if (XML_Parse(parser.get(), bytes.data(), static_cast<int>(bytes.size()), XML_TRUE) != XML_STATUS_OK) {
        const auto line = static_cast<unsigned long>(XML_GetCurrentLineNumber(parser.get()));
        if (!builder.refusal.empty())
            throw EXmlError(framework::Format("%s (line %lu)", builder.refusal.c_str(), line));
        throw EXmlError(framework::Format("not well-formed XML: %s (line %lu)",
                                          XML_ErrorString(XML_GetErrorCode(parser.get())), line));
    }
}

XmlElement XmlDocument::Root() const {
    return nodes_.empty() ? XmlElement() : XmlElement(this, 0);
}

uint32_t XmlDocument::NameId(std::string_view name) const {
    const auto found = nameIds_.find(name);
    return found == nameIds_.end() ? kNone : found->second;
}

} // namespace qv::server
