#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qv::server {

// Looks through a document's bytes before the XML parser does, for constructs that cost the
// parser far more than their size: a start tag with very many attributes (the parser checks
// each against all before it for duplicates), many namespace declarations (every prefixed name
// is looked up through all declarations in scope), and an encoding other than UTF-8, in which
// these bytes would not read as they do here. A few hundred megabytes a second: cheap beside
// the parse itself.
class XmlPrescan {
public:
    // No eForms element has more than a handful of attributes.
    static constexpr int kMaxAttributes = 256;
    // A notice declares about a dozen namespaces on its root.
    static constexpr int kMaxNamespaceDeclarations = 128;

    // The reason to refuse the document, with its line, or nothing. Counts generously where the
    // bytes are not well-formed: the parser stops at the first error, so only a well-formed start
    // needs to be counted exactly.
    static std::optional<std::string> Refusal(std::string_view bytes);

private:
    // The scan that tells tags, values, comments and texts apart, for a document that a quick
    // bound does not clear.
    static std::optional<std::string> Exact(std::string_view bytes);
};

} // namespace qv::server
