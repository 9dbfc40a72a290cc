// The user's list of screentones and bitmap patterns.
//
// Tones are configured through one shared generator, which renders each tone's 64 × 64 tile
// (thumbnail and stored form); the working pattern of a tone gets a generator of its own,
// configured for the tone scaled to its zoom, so painting is exactly periodic at any angle.
#pragma once

#include "core/dib_core.h"
#include "core/rect.h"
#include "tone/pat_mngr_base.h"
#include "tone/tone_attr.h"
#include "tone/tone_maker.h"

#include <cstdint>
#include <string>

namespace qm {

class CToneMngr : public CPatMngrBase {
public:
    static constexpr int32_t kScratchSide = 256;
    static constexpr int32_t kDotGridSide = 64;

    // With the two built-in dot grids (radius 2 spacing 8, radius 3 spacing 16), the first
    // selected; or empty (the replay manager is filled from the recording).
    explicit CToneMngr(bool withBuiltIns = true);

    // A new tone configured through the shared generator, its tile rendered from it. With a
    // channel (a tone read from a file) the channel's pixels become the tile, and the generator
    // is configured only when regenerate is set. The index, or −1 (invalid tone geometry, an
    // empty channel): nothing is added then.
    int32_t AddTone(const SToneAttr& attr, bool regenerate, const TChannel* channel = nullptr);
    // A bitmap pattern holding a copy of the channel; the scale is clamped into its range.
    int32_t AddPattern(const TChannel& channel, int32_t scale, TPoint origin);
    // A bitmap pattern of anti-aliased discs of the given radius and value (`height`, 1..255) on
    // a square grid of `spacing`, starting at spacing·√2/2, centres up to `width`; the pattern
    // is width × width (1..256). −1 for a radius or spacing that is not positive.
    int32_t AddDotGrid(int32_t radius, int32_t spacing, int32_t height = 255,
                       int32_t width = kDotGridSide);
    // A bitmap pattern from a picture's brightness, inverted so dark becomes ink; scale 100,
    // origin (0, 0).
    int32_t AddImagePattern(const TMTC& image, std::string name);
    // Reconfigures tone i with new attributes. False, with the tone unchanged, for a bitmap
    // pattern or invalid geometry.
    bool Retone(int32_t i, const SToneAttr& attr, bool renewSerial);

    CToneMaker& maker() { return maker_; }

protected:
    std::unique_ptr<CPatObj> makeWorking(const CPatObj& pattern) override;

private:
    CToneMaker maker_;
    TChannel scratch_;
};

// The 8-bit brightness of a picture, inverted (XOR 255).
TChannel InvertedBrightness(const TMTC& image);

} // namespace qm
