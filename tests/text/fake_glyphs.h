// A glyph source with hand-made glyphs, so that the rasteriser's placement and arithmetic can
// be checked against values worked out by hand.
#pragma once

#include "text/font_glyph.h"

#include <cstddef>
#include <initializer_list>
#include <map>

namespace qm::test {

class CFakeGlyphs : public CFontGlyph {
  public:
    bool vertical() const override { return isVertical; }
    bool textMetrics(TTextMetrics& out) override
    {
        out = metrics;
        return metricsAvailable;
    }
    const TGlyphBitmap* glyph(char32_t c) override
    {
        const auto it = glyphs.find(c);
        return it == glyphs.end() ? nullptr : &it->second;
    }

    bool isVertical = false;
    bool metricsAvailable = true;
    TTextMetrics metrics{10, 2};
    std::map<char32_t, TGlyphBitmap> glyphs;
};

// A glyph from rows of levels (padded to the 4-byte pitch with `pad`).
inline TGlyphBitmap makeGlyph(std::initializer_list<std::initializer_list<uint8_t>> rows,
                              int32_t originX, int32_t originY, int32_t cellIncX,
                              int32_t cellIncY = 0, uint8_t pad = 0)
{
    TGlyphBitmap g;
    g.blackBoxY = int32_t(rows.size());
    g.blackBoxX = rows.size() ? int32_t(rows.begin()->size()) : 0;
    g.originX = originX;
    g.originY = originY;
    g.cellIncX = cellIncX;
    g.cellIncY = cellIncY;
    for (const auto& row : rows) {
        g.levels.insert(g.levels.end(), row.begin(), row.end());
        g.levels.resize(g.levels.size() + std::size_t(g.pitch() - g.blackBoxX), pad);
    }
    return g;
}

} // namespace qm::test
