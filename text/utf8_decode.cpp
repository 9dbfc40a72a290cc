#include "text/utf8_decode.h"

#include <cstdint>

namespace qm {

namespace {

// The length of the well-formed sequence at `pos` and its value; 0 when the byte there does
// not start one.
size_t sequenceAt(std::string_view text, size_t pos, char32_t& value)
{
    const auto byte = [&](size_t i) { return uint8_t(text[pos + i]); };
    const uint8_t lead = byte(0);
    if (lead < 0x80) {
        value = lead;
        return 1;
    }
    size_t length = 0;
    char32_t v = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, v = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, v = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, v = lead & 0x07, minimum = 0x10000;
    } else {
        return 0; // continuation byte, overlong two-byte lead or out of range
    }
    if (text.size() - pos < length) return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
        v = v << 6 | (byte(i) & 0x3F);
    }
    if (v < minimum || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) return 0;
    value = v;
    return length;
}

} // namespace

bool nextCodePoint(std::string_view text, size_t& pos, char32_t& codePoint)
{
    while (pos < text.size()) {
        char32_t v = 0;
        const size_t length = sequenceAt(text, pos, v);
        if (length == 0) {
            ++pos;
            continue;
        }
        pos += length;
        codePoint = v;
        return true;
    }
    return false;
}

std::string_view prefixAtCharacterBoundary(std::string_view text, size_t maxBytes)
{
    if (text.size() <= maxBytes) return text;
    size_t end = maxBytes;
    // Back off over continuation bytes to the start of the sequence that would be cut.
    while (end > 0 && (uint8_t(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

std::string validUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        char32_t v = 0;
        const size_t length = sequenceAt(text, pos, v);
        if (length == 0) {
            ++pos;
            continue;
        }
        out.append(text.substr(pos, length));
        pos += length;
    }
    return out;
}

} // namespace qm
