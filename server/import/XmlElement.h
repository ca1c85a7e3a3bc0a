#pragma once

#include "server/import/XmlDocument.h"

#include <string_view>
#include <vector>

namespace qv::server {

// One element of an XmlDocument, or the absent element, which a lookup that finds nothing
// gives: it has no name, no text, no attributes and no children, so that paths read on
// through missing parts without a check at every step.
class XmlElement {
public:
    XmlElement() = default;
    // The document's root element; the absent element when nothing was read.
    static XmlElement Root(const XmlDocument& document);

    explicit operator bool() const { return document_ != nullptr; }
    // The first child of that name.
    XmlElement Child(std::string_view name) const;
    std::vector<XmlElement> Children(std::string_view name) const;
    // Empty for an element with child elements.
    std::string_view Text() const;
    std::string_view Attribute(std::string_view name) const;
    std::string_view Name() const;

private:
    friend class XmlDocument;
    XmlElement(const XmlDocument* document, uint32_t index) : document_(document), index_(index) {}

    const XmlDocument::Node& Node() const { return document_->nodes_[index_]; }

    const XmlDocument* document_ = nullptr;
    uint32_t index_ = 0;
};

} // namespace qv::server
