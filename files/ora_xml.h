// The little XML a layer stack needs: elements with attributes, nested to any reasonable
// depth. Text, comments, processing instructions and CDATA are skipped; a document type
// declaration is refused, so no entity can expand. Character references and the five named
// entities are decoded. Anything malformed gives false, never a crash.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qm {

struct TXmlElement {
    std::string name; // with its prefix, e.g. "qm:mode" stays as written
    std::vector<std::pair<std::string, std::string>> attributes; // decoded values, in order
    std::vector<TXmlElement> children;

    // The value of an attribute, or nullptr when it is absent.
    const std::string* attribute(std::string_view key) const;
};

// Limits that keep a hostile document from exhausting the stack or memory.
inline constexpr int kXmlMaxDepth = 64;
inline constexpr size_t kXmlMaxElements = 200000;

// Parses a whole document into its root element. `error` (when given) receives why it failed.
bool parseXml(std::string_view text, TXmlElement& root, std::string* error = nullptr);

// An attribute value with &, <, >, ", ' and the whitespace controls written as references,
// so that a reader's whitespace normalisation gives back the same text. Other control
// characters cannot appear in XML 1.0 and become U+FFFD.
std::string xmlEscape(std::string_view text);

} // namespace qm
