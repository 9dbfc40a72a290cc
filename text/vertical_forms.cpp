#include "text/vertical_forms.h"

#include <algorithm>
#include <set>

namespace qm {

namespace {

// Bounds-checked big-endian reads: an offset past the end reads as 0 and marks the table bad.
class BigEndian {
  public:
    explicit BigEndian(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    uint16_t u16(size_t at)
    {
        if (at + 2 > bytes_.size() || at + 2 < at) {
            bad_ = true;
            return 0;
        }
        return uint16_t(bytes_[at] << 8 | bytes_[at + 1]);
    }
    uint32_t u32(size_t at) { return uint32_t(u16(at)) << 16 | u16(at + 2); }
    bool bad() const { return bad_; }

  private:
    std::span<const uint8_t> bytes_;
    bool bad_ = false;
};

constexpr uint32_t tag(char a, char b, char c, char d)
{
    return uint32_t(uint8_t(a)) << 24 | uint32_t(uint8_t(b)) << 16 | uint32_t(uint8_t(c)) << 8 |
           uint8_t(d);
}

constexpr uint16_t kSingleSubstitution = 1;
constexpr uint16_t kExtension = 7;
// Guards against tables that claim absurd counts: a real font stays far below these.
constexpr uint32_t kMaxRangeGlyphs = 65536;

// The glyphs of a coverage table, in coverage-index order.
std::vector<uint16_t> coverageGlyphs(BigEndian& t, size_t at)
{
    std::vector<uint16_t> glyphs;
    const uint16_t format = t.u16(at);
    const uint16_t count = t.u16(at + 2);
    if (format == 1) {
        for (uint16_t i = 0; i < count && !t.bad(); ++i)
            glyphs.push_back(t.u16(at + 4 + size_t(i) * 2));
    } else if (format == 2) {
        for (uint16_t i = 0; i < count && !t.bad(); ++i) {
            const size_t record = at + 4 + size_t(i) * 6;
            const uint16_t first = t.u16(record);
            const uint16_t last = t.u16(record + 2);
            const uint16_t startIndex = t.u16(record + 4);
            if (last < first || glyphs.size() + (last - first) > kMaxRangeGlyphs) continue;
            if (glyphs.size() < size_t(startIndex) + (last - first) + 1)
                glyphs.resize(size_t(startIndex) + (last - first) + 1, 0);
            for (uint32_t g = first; g <= last; ++g)
                glyphs[startIndex + (g - first)] = uint16_t(g);
        }
    }
    return glyphs;
}

void readSingleSubstitution(BigEndian& t, size_t at, std::unordered_map<uint16_t, uint16_t>& map)
{
    const uint16_t format = t.u16(at);
    const std::vector<uint16_t> covered = coverageGlyphs(t, at + t.u16(at + 2));
    if (format == 1) {
        const uint16_t delta = t.u16(at + 4);
        for (uint16_t g : covered)
            map.emplace(g, uint16_t(g + delta)); // modulo 65536, as the format defines
    } else if (format == 2) {
        const uint16_t count = t.u16(at + 4);
        for (size_t i = 0; i < covered.size() && i < count && !t.bad(); ++i)
            map.emplace(covered[i], t.u16(at + 6 + i * 2));
    }
}

} // namespace

CVerticalForms::CVerticalForms(std::span<const uint8_t> table)
{
    BigEndian t(table);
    if (t.u16(0) != 1) // major version
        return;
    const size_t featureList = t.u16(6);
    const size_t lookupList = t.u16(8);

    // Every lookup of every "vert" or "vrt2" feature, whatever script or language lists it.
    std::set<uint16_t> lookupIndices;
    const uint16_t featureCount = t.u16(featureList);
    for (uint16_t i = 0; i < featureCount && !t.bad(); ++i) {
        const size_t record = featureList + 2 + size_t(i) * 6;
        const uint32_t featureTag = t.u32(record);
        if (featureTag != tag('v', 'e', 'r', 't') && featureTag != tag('v', 'r', 't', '2'))
            continue;
        const size_t feature = featureList + t.u16(record + 4);
        const uint16_t count = t.u16(feature + 2);
        for (uint16_t k = 0; k < count && !t.bad(); ++k)
            lookupIndices.insert(t.u16(feature + 4 + size_t(k) * 2));
    }

    const uint16_t lookupCount = t.u16(lookupList);
    for (uint16_t index : lookupIndices) {
        if (index >= lookupCount || t.bad()) break;
        const size_t lookup = lookupList + t.u16(lookupList + 2 + size_t(index) * 2);
        const uint16_t type = t.u16(lookup);
        const uint16_t subtables = t.u16(lookup + 4);
        std::unordered_map<uint16_t, uint16_t> map;
        for (uint16_t s = 0; s < subtables && !t.bad(); ++s) {
            size_t subtable = lookup + t.u16(lookup + 6 + size_t(s) * 2);
            uint16_t subtableType = type;
            if (type == kExtension) {
                subtableType = t.u16(subtable + 2);
                subtable += t.u32(subtable + 4);
            }
            if (subtableType == kSingleSubstitution) readSingleSubstitution(t, subtable, map);
        }
        if (t.bad()) break;
        if (!map.empty()) lookups_.push_back(std::move(map));
    }
    if (t.bad()) lookups_.clear(); // a damaged table gives no forms at all rather than some
}

uint32_t CVerticalForms::substitute(uint32_t glyph) const
{
    if (glyph > 0xFFFF) return glyph;
    uint16_t g = uint16_t(glyph);
    for (const auto& map : lookups_) {
        const auto it = map.find(g);
        if (it != map.end()) g = it->second;
    }
    return g;
}

} // namespace qm
