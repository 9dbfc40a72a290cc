// What the text rasteriser needs from a font: its line metrics and, per character, an
// anti-aliased glyph bitmap with the black-box terms that place it.
//
// A glyph's frame: x to the right, y up, the pen position at (0, 0) on the baseline. The
// bitmap covers the black box, whose top-left corner lies at (originX, originY).
//
// For vertical text (face names starting with "@") glyphs come lying on their side: the frame's
// x runs along the column (down the paper) and its y to the paper's right, so an upright
// character arrives turned a quarter turn anticlockwise and the rasteriser turns it back.
// Characters that vertical text keeps lying (Latin letters, digits and other narrow ones) come
// unturned and so end up turned clockwise on the paper.
#pragma once

#include <cstdint>
#include <vector>

namespace qm {

inline constexpr uint8_t kGlyphLevels = 64; // grey levels 0 … 64

struct TGlyphBitmap {
    int32_t blackBoxX = 0; // black-box width, pixels
    int32_t blackBoxY = 0; // black-box height, pixels
    int32_t originX = 0;   // left edge of the black box from the pen
    int32_t originY = 0;   // top edge of the black box above the pen
    int32_t cellIncX = 0;  // pen movement along x
    int32_t cellIncY = 0;  // pen movement along y
    // Levels 0 … 64, rows top to bottom, each row padded to a multiple of 4 bytes; empty for a
    // blank (a space).
    std::vector<uint8_t> levels;

    int32_t pitch() const { return (blackBoxX + 3) & ~3; }
};

struct TTextMetrics {
    int32_t textHeight = 0;      // ascender − descender, pixels
    int32_t externalLeading = 0; // the face's gap between lines, pixels
};

class CFontGlyph {
  public:
    virtual ~CFontGlyph() = default;

    virtual bool vertical() const = 0;
    virtual bool textMetrics(TTextMetrics& metrics) = 0;
    // The glyph of a character, or null when the font has none for it (the character is then
    // left out). The pointer stays valid until the source is destroyed.
    virtual const TGlyphBitmap* glyph(char32_t character) = 0;
};

} // namespace qm
