#include "files/psd_document.h"

#include "layers/blend_mode_table.h"

#include <array>
#include <utility>

namespace qm {
namespace {

// Our 22 modes in number order with the key each is written as. "Subtract negative" takes
// away the inverse of the layer (base + layer − 255), which is the file's linear burn.
constexpr std::array<uint32_t, kBlendModeCount> kKeyOfMode = {
    psdKey("mul "), psdKey("lddg"), psdKey("fsub"), psdKey("norm"), psdKey("scrn"),
    psdKey("over"), psdKey("hLit"), psdKey("sLit"), psdKey("diff"), psdKey("smud"),
    psdKey("dark"), psdKey("lite"), psdKey("idiv"), psdKey("div "), psdKey("hue "),
    psdKey("sat "), psdKey("colr"), psdKey("lum "), psdKey("lbrn"), psdKey("lLit"),
    psdKey("vLit"), psdKey("pLit"),
};

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one UTF-8 sequence at text[i]; advances i. Overlong forms, surrogates and values
// past U+10FFFF are invalid.
char32_t decodeUtf8(std::string_view text, size_t& i, bool& valid)
{
    const auto byte = [&](size_t k) { return uint8_t(text[k]); };
    const uint8_t lead = byte(i);
    valid = true;
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    int extra = 0;
    char32_t c = 0, minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1, c = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, c = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, c = lead & 0x07, minimum = 0x10000;
    } else {
        ++i;
        valid = false;
        return kReplacement;
    }
    if (i + size_t(extra) >= text.size()) { // the sequence runs past the end
        ++i;
        valid = false;
        return kReplacement;
    }
    for (int k = 1; k <= extra; ++k) {
        if ((byte(i + size_t(k)) & 0xC0) != 0x80) {
            ++i;
            valid = false;
            return kReplacement;
        }
        c = c << 6 | (byte(i + size_t(k)) & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++i;
        valid = false;
        return kReplacement;
    }
    i += size_t(extra) + 1;
    return c;
}

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | c >> 6);
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | c >> 12);
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | c >> 18);
        out += char(0x80 | (c >> 12 & 0x3F));
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

} // namespace

uint8_t modeFromBlendKey(uint32_t key)
{
    for (size_t m = 0; m < kKeyOfMode.size(); ++m)
        if (kKeyOfMode[m] == key)
            return uint8_t(m);
    return uint8_t(BlendMode::Normal);
}

uint32_t blendKeyFromMode(uint8_t mode)
{
    const size_t m = mode & 0x7F;
    return m < kKeyOfMode.size() ? kKeyOfMode[m] : psdKey("norm");
}

std::u16string utf16FromUtf8(std::string_view text)
{
    std::u16string out;
    size_t i = 0;
    bool valid = true;
    while (i < text.size()) {
        const char32_t c = decodeUtf8(text, i, valid);
        if (c >= 0x10000) {
            out += char16_t(0xD800 + ((c - 0x10000) >> 10));
            out += char16_t(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += char16_t(c);
        }
    }
    return out;
}

std::string utf8FromUtf16(std::u16string_view text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = kReplacement;
        }
        appendUtf8(out, c);
    }
    return out;
}

std::string utf8FromLegacy(std::string_view bytes)
{
    size_t i = 0;
    bool valid = true;
    while (i < bytes.size() && valid)
        decodeUtf8(bytes, i, valid);
    if (valid)
        return std::string(bytes);
    std::string out;
    for (const char b : bytes)
        appendUtf8(out, char32_t(uint8_t(b)));
    return out;
}

std::string_view utf8Prefix(std::string_view text, size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return text;
    size_t end = maxBytes;
    // Back up over continuation bytes to the start of the character that would be cut.
    while (end > 0 && (uint8_t(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

} // namespace qm
