// Reading a face's vertical forms from a substitution table built here byte by byte from the
// published table layout: only the "vert" feature's lookups apply, in order, the first
// subtable that covers a glyph wins, and any damage gives no forms rather than wrong ones.
#include "text/vertical_forms.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <span>
#include <vector>

namespace qm {

namespace {

std::vector<uint8_t> be16(std::initializer_list<uint16_t> values)
{
    std::vector<uint8_t> out;
    for (uint16_t v : values)
        out.insert(out.end(), {uint8_t(v >> 8), uint8_t(v)});
    return out;
}

void append(std::vector<uint8_t>& to, const std::vector<uint8_t>& bytes)
{
    to.insert(to.end(), bytes.begin(), bytes.end());
}

// Offsets in the comments are from the table's start.
std::vector<uint8_t> substitutionTable()
{
    std::vector<uint8_t> t;
    append(t, be16({1, 0, 10, 12, 38})); //  0 version 1.0, script, feature, lookup lists
    append(t, be16({0}));                // 10 no scripts
    append(t, be16({2}));                // 12 two features:
    append(t, {'l', 'i', 'g', 'a'});     //    one that must not apply → lookup 0
    append(t, be16({14}));
    append(t, {'v', 'e', 'r', 't'}); //    the vertical forms → lookup 1
    append(t, be16({20}));
    append(t, be16({0, 1, 0}));            // 26 feature: lookup 0
    append(t, be16({0, 1, 1}));            // 32 feature: lookup 1
    append(t, be16({2, 6, 26}));           // 38 lookup list
    append(t, be16({1, 0, 1, 8}));         // 44 lookup 0: single substitution, one subtable
    append(t, be16({1, 6, 100}));          // 52 format 1: +100
    append(t, be16({1, 1, 5}));            // 58 coverage: glyph 5
    append(t, be16({1, 0, 2, 10, 30}));    // 64 lookup 1: two subtables
    append(t, be16({2, 10, 2, 200, 201})); // 74 format 2: substitutes 200, 201
    append(t, be16({2, 1, 10, 11, 0}));    // 84 coverage: range 10 … 11 from index 0
    append(t, be16({1, 6, 0xFFFF}));       // 94 format 1: −1
    append(t, be16({1, 2, 10, 20}));       // 100 coverage: glyphs 10, 20
    return t;
}

} // namespace

TEST(VerticalForms, OnlyTheVerticalFeatureApplies)
{
    const std::vector<uint8_t> table = substitutionTable();
    ASSERT_EQ(table.size(), 108u);
    const CVerticalForms forms(table);
    ASSERT_FALSE(forms.empty());
    EXPECT_EQ(forms.substitute(10), 200u); // the first subtable wins over the second's −1
    EXPECT_EQ(forms.substitute(11), 201u);
    EXPECT_EQ(forms.substitute(20), 19u);
    EXPECT_EQ(forms.substitute(5), 5u); // the other feature's lookup is not applied
    EXPECT_EQ(forms.substitute(7), 7u);
    EXPECT_EQ(forms.substitute(70000), 70000u);
}

TEST(VerticalForms, DamagedTablesGiveNoForms)
{
    const std::vector<uint8_t> table = substitutionTable();
    for (size_t length = 0; length < table.size(); ++length) {
        const CVerticalForms cut(std::span<const uint8_t>(table.data(), length));
        EXPECT_TRUE(cut.empty()) << length;
        EXPECT_EQ(cut.substitute(10), 10u);
    }
    // Offsets pointing far outside the table.
    std::vector<uint8_t> wild = table;
    wild[68] = 0xFF; // lookup 1's subtable count
    EXPECT_TRUE(CVerticalForms(wild).empty());
    std::vector<uint8_t> version = table;
    version[1] = 2;
    EXPECT_TRUE(CVerticalForms(version).empty());
    // Noise never crashes.
    uint32_t state = 1;
    for (int round = 0; round < 200; ++round) {
        std::vector<uint8_t> noise = table;
        for (int i = 0; i < 6; ++i) {
            state = state * 1103515245u + 12345u;
            noise[(state >> 8) % noise.size()] = uint8_t(state >> 20);
        }
        const CVerticalForms forms(noise);
        forms.substitute(10);
    }
    SUCCEED();
}

} // namespace qm
