// How one brush pixel reaches the flow image: the selection, the screentone and the gradation
// weigh and colour it, then it is blended into the working copy of the layer.
//
// Pixel formats: the working copy is 32-bit 0xAARRGGBB (memory order B, G, R, A), not
// premultiplied; the coverage channel is 8-bit, 0 = untouched. Positions are those of the
// layer's image; the tone and the gradation are looked up at the matching paper position so
// that they stay in place on the paper whatever the size of the layer's image.
//
// All weights are bytes; a·b is Mul255 (a × b / 255 truncated) and mixing a colour C into a
// pixel P with weight w is Lerp255(C, P, w) per colour byte.
#pragma once

#include "core/pixel_math.h"
#include "select/mask_data.h"
#include "tone/gradation.h"
#include "tone/pat_mngr_base.h"

#include <cstdint>

namespace qm {

// The colour bytes of c mixed into p with weight w; p's alpha byte is kept.
inline uint32_t mixColour(uint32_t p, uint32_t c, uint32_t w)
{
    const uint32_t b = Lerp255(c & 0xFF, p & 0xFF, w);
    const uint32_t g = Lerp255((c >> 8) & 0xFF, (p >> 8) & 0xFF, w);
    const uint32_t r = Lerp255((c >> 16) & 0xFF, (p >> 16) & 0xFF, w);
    return (p & 0xFF000000u) | (r << 16) | (g << 8) | b;
}

// The "over" blend of colour c (its alpha byte ignored) with weight a: an opaque pixel is
// mixed; a transparent one gains alpha A' = A + a·(255 − A) and is mixed by a × 255 / A'.
inline uint32_t blendOver(uint32_t p, uint32_t c, uint32_t a)
{
    if (a == 0)
        return p;
    if (a >= 255)
        return 0xFF000000u | (c & 0xFFFFFFu);
    const uint32_t alpha = p >> 24;
    if (alpha == 255)
        return mixColour(p, c, a);
    if (alpha == 0) // the general rule gives the colour at alpha a
        return (a << 24) | (c & 0xFFFFFFu);
    const uint32_t grown = alpha + Mul255(a, 255 - alpha); // ≥ a > 0
    return (grown << 24) | (mixColour(p, c, a * 255 / grown) & 0xFFFFFFu);
}

// A gradation colour (0xAABBGGRR) in pixel byte order (0xAARRGGBB).
inline uint32_t gradationToPixel(uint32_t c)
{
    return (c & 0xFF00FF00u) | ((c >> 16) & 0xFFu) | ((c & 0xFFu) << 16);
}

// The per-pixel routines of one stroke, chosen when it starts (selectPixelRoutines).
struct TPlotter {
    TMaskClip mask;                        // inactive without an active, non-empty selection
    const CPatMngrBase* tone = nullptr;    // set when the stroke paints through the screentone
    const CGradation* gradation = nullptr; // set when the stroke paints with the gradation
    int32_t layerOffsetX = 0;              // layer position − offset = paper position
    int32_t layerOffsetY = 0;
    bool keepAlpha = false; // mix only the colour bytes, as the legacy engine always does

    // Neither selection nor tone weighs the pixels: the hot loops can skip weight().
    bool unweighted() const { return !mask.active() && !tone; }

    // The weight a after the selection and the screentone; 0 means the pixel is not touched.
    uint32_t weight(int32_t x, int32_t y, uint32_t a) const
    {
        if (mask.active()) {
            a = mask.weight(x, y, a);
            if (a == 0)
                return 0;
        }
        if (tone) // the tone moves with the layer; the gradation stays on the paper
            a = tone->Weight(x, y, a);
        return a;
    }

    // Coverage plot: the pixel rises to v·a (after the selection and the tone).
    void coverage(uint8_t& pixel, int32_t x, int32_t y, uint32_t v, uint32_t a) const
    {
        a = weight(x, y, a);
        const uint32_t candidate = Mul255(v, a);
        if (candidate > pixel)
            pixel = uint8_t(candidate);
    }

    // The colour steps after the weighting: the gradation's colour and alpha, then the blend.
    uint32_t blend(uint32_t pixel, int32_t x, int32_t y, uint32_t colour, uint32_t a) const
    {
        if (gradation) {
            const uint32_t g =
                gradationToPixel(gradation->ColorAtPixel(x - layerOffsetX, y - layerOffsetY));
            colour = g;
            a = Mul255(a, g >> 24);
        }
        return keepAlpha ? mixColour(pixel, colour, a) : blendOver(pixel, colour, a);
    }

    // Colour plot: the whole pipeline for one pixel.
    void plotColour(uint32_t& pixel, int32_t x, int32_t y, uint32_t colour, uint32_t a) const
    {
        a = weight(x, y, a);
        if (a != 0)
            pixel = blend(pixel, x, y, colour, a);
    }
};

// What the plot routines depend on besides the stroke.
struct TPlotSources {
    bool selectionActive = false;
    const CMaskData* currentMask = nullptr;
    const CPatMngrBase* tone = nullptr;
    const CGradation* gradation = nullptr;
    int32_t layerOffsetX = 0;
    int32_t layerOffsetY = 0;
    bool legacyEngine = false;
};

class TStroke;

// The plot routines for the stroke's tone, gradation and keep-alpha settings and the selection.
TPlotter selectPixelRoutines(const TStroke& stroke, const TPlotSources& sources);

} // namespace qm
