// UTF-8 as the text tool keeps its text. Decoding never fails: a byte that does not start a
// well-formed sequence (stray continuation bytes, overlong forms, surrogates, values past
// U+10FFFF, sequences cut short) is skipped on its own and decoding resumes at the next byte,
// so damaged text loses only the damaged characters.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qm {

// Decodes the code point that starts at `pos`, skipping invalid bytes first. Advances `pos`
// past it; false when the text ends before another code point.
bool nextCodePoint(std::string_view text, size_t& pos, char32_t& codePoint);

// The longest prefix of `text` of at most `maxBytes` bytes that does not cut a well-formed
// sequence in two.
std::string_view prefixAtCharacterBoundary(std::string_view text, size_t maxBytes);

// `text` with every invalid byte removed.
std::string validUtf8(std::string_view text);

} // namespace qm
