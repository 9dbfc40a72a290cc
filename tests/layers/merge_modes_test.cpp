#include "layers/merge_modes.h"

#include "merge_reference.h"

#include <gtest/gtest.h>

#include <vector>

using namespace qm;

namespace {
uint32_t targetFor(int d, int s, uint32_t alpha)
{
    return alpha << 24 | uint32_t(d) << 16 | uint32_t((d * 5 + s + 3) & 255) << 8 |
           uint32_t((255 - d + s / 2) & 255);
}
uint32_t sourceFor(int d, int s, uint32_t alpha)
{
    return alpha << 24 | uint32_t(s) << 16 | uint32_t((s * 3 + d + 1) & 255) << 8 |
           uint32_t((s + 64) & 255);
}
} // namespace

// The merge row of kind 0, for every source mode, over every (d, s) pair of the red channel,
// several target and source alphas, source opacities and target opacities.
TEST(MergeModes, KindZeroRowsMatchTheFormulas)
{
    std::vector<uint32_t> targets(256 * 256), sources(256 * 256);
    for (int mode = 0; mode < kBlendModeCount; ++mode)
        for (uint32_t targetAlpha : {0u, 90u, 255u})
            for (uint32_t sourceAlpha : {0u, 128u, 255u})
                for (uint32_t opacity : {0u, 100u, 255u})
                    for (uint32_t targetOpacity : {255u, 60u}) {
                        for (int d = 0; d < 256; ++d)
                            for (int s = 0; s < 256; ++s) {
                                targets[size_t(d * 256 + s)] = targetFor(d, s, targetAlpha);
                                sources[size_t(d * 256 + s)] = sourceFor(d, s, sourceAlpha);
                            }
                        TMergeRow row;
                        ASSERT_TRUE(makeMergeRow(0, 3, uint32_t(mode), targetOpacity, opacity, row));
                        std::vector<uint32_t> got(targets);
                        row(got.data(), sources.data(), int32_t(got.size()));
                        for (size_t i = 0; i < got.size(); ++i) {
                            const uint32_t scaled =
                                (targets[i] & 0x00FFFFFFu) |
                                uint32_t(MulTable[targetOpacity][targets[i] >> 24]) << 24;
                            ASSERT_EQ(got[i], reference::merge(mode, scaled, sources[i], int(opacity)))
                                << "mode " << mode << " A " << targetAlpha << " As " << sourceAlpha
                                << " o " << opacity << " at " << i;
                        }
                    }
}

TEST(MergeModes, PairTableIsSearchedByKind)
{
    EXPECT_EQ(pairMergeFn(0, 0, 1), &multiplyUnion);
    EXPECT_EQ(pairMergeFn(2, 2, 1), &additiveUnion);
    EXPECT_EQ(pairMergeFn(3, 0, 1), nullptr); // kind 1 looks at the first two entries only
    EXPECT_EQ(pairMergeFn(3, 0, 2), &multiplyUnion);
    EXPECT_EQ(pairMergeFn(0, 3, 2), &normalOver);
    EXPECT_EQ(pairMergeFn(3, 3, 2), nullptr);
    TMergeRow row;
    EXPECT_FALSE(makeMergeRow(3, 3, 3, 255, 255, row));
    EXPECT_FALSE(makeMergeRow(0, 3, 40, 255, 255, row));
}

// Kinds 1 and 2 between modes the pair table does not hold go through the union merge with
// a record built from both modes.
TEST(MergeModes, UnionMergeOfTwoModesMatchesTheFormula)
{
    for (int targetMode : {3, 5, 14})
        for (int sourceMode : {0, 4, 7, 16, 20}) {
            const TUnionRecord record = unionRecordFor(uint32_t(targetMode), uint32_t(sourceMode));
            const TModeInfo* t = modeInfo(uint32_t(targetMode));
            const TModeInfo* s = modeInfo(uint32_t(sourceMode));
            const uint32_t base = t->base == s->base ? s->base : std::max(t->base, s->base);
            EXPECT_EQ(record.base, base);
            for (int d = 0; d < 256; d += 3)
                for (int v = 0; v < 256; v += 5) {
                    const uint32_t P = targetFor(d, v, uint32_t((d * 7) & 255));
                    const uint32_t S = sourceFor(d, v, uint32_t((v * 3 + 40) & 255));
                    ASSERT_EQ(UnionMerge(P, S, 200, record),
                              reference::unionMerge(P, S, 200, base, s->flags, targetMode,
                                                    sourceMode))
                        << targetMode << "/" << sourceMode << " d " << d << " v " << v;
                }
        }
}

TEST(MergeModes, NormalAtHalfOpacityIntoAnEmptyLayer)
{
    // An opaque source pixel at opacity 128 over nothing: alpha 128, the source colour.
    EXPECT_EQ(mergeModeFn(3, 0x00FFFFFFu, 0xFF123456u, 128), 0x80123456u);
    // Nothing under nothing stays transparent.
    EXPECT_EQ(mergeModeFn(0, 0x00FFFFFFu, 0x00000000u, 255) >> 24, 0u);
}
