// The vertical forms of a face: the single substitutions its glyph substitution table lists
// under the "vert" and "vrt2" features (the turned brackets, the vertical long-vowel mark, the
// corner-placed small kana and punctuation). Only single substitutions (lookup type 1, also
// behind extension lookups) are read; a table that is missing or damaged gives no forms, and
// the upright glyphs are used then.
#pragma once

#include <cstdint>
#include <span>
#include <unordered_map>
#include <vector>

namespace qm {

class CVerticalForms {
  public:
    CVerticalForms() = default;
    // Reads the table's bytes (big-endian, as stored in the font file).
    explicit CVerticalForms(std::span<const uint8_t> table);

    // The glyph index to draw in vertical text for a glyph index.
    uint32_t substitute(uint32_t glyph) const;
    bool empty() const { return lookups_.empty(); }

  private:
    // One map per lookup, applied in the table's lookup order.
    std::vector<std::unordered_map<uint16_t, uint16_t>> lookups_;
};

} // namespace qm
