#include "server/import/XmlElement.h"

namespace qv::server {

XmlElement XmlElement::Root(const XmlDocument& document) {
    return document.nodes_.empty() ? XmlElement() : XmlElement(&document, 0);
}

XmlElement XmlElement::Child(std::string_view name) const {
    if (!document_) return {};
    const uint32_t id = document_->NameId(name);
    for (uint32_t child = Node().firstChild; child != XmlDocument::kNone;
         child = document_->nodes_[child].nextSibling)
        if (document_->nodes_[child].name == id) return {document_, child};
    return {};
}

std::vector<XmlElement> XmlElement::Children(std::string_view name) const {
    std::vector<XmlElement> children;
    if (!document_) return children;
    const uint32_t id = document_->NameId(name);
    for (uint32_t child = Node().firstChild; child != XmlDocument::kNone;
         child = document_->nodes_[child].nextSibling)
        if (document_->nodes_[child].name == id) children.push_back({document_, child});
    return children;
}

std::string_view XmlElement::Text() const {
    return document_ ? document_->Characters(Node().textBegin, Node().textLength) : std::string_view();
}

std::string_view XmlElement::Attribute(std::string_view name) const {
    if (!document_) return {};
    const uint32_t id = document_->NameId(name);
    const auto& node = Node();
    for (uint32_t i = node.attributeBegin; i < node.attributeBegin + node.attributeCount; ++i) {
        const auto& attribute = document_->attributes_[i];
        if (attribute.name == id) return document_->Characters(attribute.valueBegin, attribute.valueLength);
    }
    return {};
}

std::string_view XmlElement::Name() const {
    return document_ ? std::string_view(*document_->names_[Node().name]) : std::string_view();
}

} // namespace qv::server
