#include "text/vertical_orientation.h"

#include <cstddef>
#include <iterator>

namespace qm {

namespace {

struct TRange {
    char32_t first;
    char32_t last;
};

// Sorted, not overlapping.
constexpr TRange kUpright[] = {
    {0x00A7, 0x00A7},   // section sign
    {0x00A9, 0x00A9},   // copyright
    {0x00AE, 0x00AE},   // registered
    {0x00B1, 0x00B1},   // plus-minus
    {0x00BC, 0x00BE},   // vulgar fractions
    {0x00D7, 0x00D7},   // multiplication sign
    {0x00F7, 0x00F7},   // division sign
    {0x02EA, 0x02EB},   // bopomofo tone marks
    {0x1100, 0x11FF},   // hangul jamo
    {0x2016, 0x2016},   // double vertical line
    {0x2020, 0x2021},   // daggers
    {0x2030, 0x2031},   // per mille
    {0x203B, 0x203C},   // reference mark, double exclamation
    {0x2042, 0x2042},   // asterism
    {0x2047, 0x2049},   // double question marks
    {0x2100, 0x2189},   // letterlike symbols, number forms (roman numerals)
    {0x2190, 0x21FF},   // arrows
    {0x2200, 0x22FF},   // mathematical operators
    {0x2300, 0x23FF},   // technical symbols
    {0x2460, 0x24FF},   // enclosed alphanumerics
    {0x25A0, 0x27BF},   // geometric shapes, miscellaneous symbols, dingbats
    {0x2B00, 0x2BFF},   // further arrows and shapes
    {0x2E80, 0x2FFF},   // CJK radicals, ideographic description
    {0x3000, 0x303F},   // CJK symbols and punctuation
    {0x3040, 0x33FF},   // kana, bopomofo, hangul compatibility, CJK compatibility
    {0x3400, 0x4DBF},   // ideographs, extension A
    {0x4DC0, 0x4DFF},   // hexagrams
    {0x4E00, 0x9FFF},   // ideographs
    {0xA000, 0xA4CF},   // yi
    {0xA960, 0xA97F},   // hangul jamo extended A
    {0xAC00, 0xD7FF},   // hangul syllables, jamo extended B
    {0xE000, 0xF8FF},   // private use (font-specific symbols, mostly wide)
    {0xF900, 0xFAFF},   // compatibility ideographs
    {0xFE10, 0xFE1F},   // vertical forms
    {0xFE30, 0xFE4F},   // CJK compatibility forms
    {0xFE50, 0xFE6F},   // small form variants
    {0xFF00, 0xFF60},   // full-width forms
    {0xFFE0, 0xFFE7},   // full-width signs
    {0x1B000, 0x1B2FF}, // kana supplement and extensions
    {0x1F000, 0x1F2FF}, // game symbols, enclosed supplements
    {0x1F300, 0x1F6FF}, // pictographs, emoticons, transport
    {0x1F900, 0x1F9FF}, // supplemental pictographs
    {0x20000, 0x3FFFD}, // ideograph planes
};

} // namespace

bool uprightInVerticalText(char32_t c)
{
    size_t lo = 0, hi = std::size(kUpright);
    while (lo < hi) {
        const size_t mid = (lo + hi) / 2;
        if (c < kUpright[mid].first)
            hi = mid;
        else if (c > kUpright[mid].last)
            lo = mid + 1;
        else
            return true;
    }
    return false;
}

} // namespace qm
