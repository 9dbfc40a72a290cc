// Drawing layers onto the display picture and into each other.
//
// Pixel format: 0xAARRGGBB (memory order B, G, R, A), not premultiplied. The picture is
// opaque; compositing never changes its alpha bytes.
//
// Only the layer image's content region is visited; within it, uniform blocks are drawn from
// their Fill value without reading block memory, and fully transparent uniform blocks cost
// nothing.
#pragma once

#include "core/block_vmtc.h"
#include "core/clock.h"
#include "core/dib_core.h"
#include "layers/layer_data.h"

namespace qm {

// How a layer is drawn: its mode, opacity and blend option.
struct TCompositeStyle {
    uint32_t mode = 3;
    uint32_t opacity = 255;
    bool blendNoise = false;
    uint32_t blendAmount = 255;
    CLayerRandom random; // the generator state the blend option starts from

    static TCompositeStyle of(const CLayerData& layer);
};

// Where the blend option's pattern comes from: the layer's stored generator (merges, so the
// result repeats exactly) or a new one seeded from the clock (the display refresh).
enum class TPattern { Stored, Fresh };

// Draws the box of `image` (image coordinates) at `at` of the picture with the style; the
// layer-alpha engine, all 22 modes. A layer of opacity 0 changes nothing.
void compositeImage(const CBlockVMTC& image, const TCompositeStyle& style, TMTC& picture,
                    TBox box, TPoint at);
// The legacy engine: multiply, add and subtract at the layer's opacity ignoring pixel alpha;
// every other mode as normal at opacity × pixel alpha / 255.
void compositeImageLegacy(const CBlockVMTC& image, uint32_t mode, uint32_t opacity,
                          TMTC& picture, TBox box, TPoint at);

// A layer's stored image.
bool CompositeLayer(const CLayerData& layer, TMTC& picture, TBox box, TPoint at, TPattern pattern,
                    Clock& clock = systemClock());
bool CompositeLayerLegacy(const CLayerData& layer, TMTC& picture, TBox box, TPoint at);

// The same two engines for a flat image (a stroke's working copy), every pixel of the box
// visited.
void compositeFlat(const TMTC& image, const TCompositeStyle& style, TMTC& picture, TBox box,
                   TPoint at);
void compositeFlatLegacy(const TMTC& image, uint32_t mode, uint32_t opacity, TMTC& picture,
                         TBox box, TPoint at);

// The current layer while a stroke is in progress: its flat working copy (in the layer
// image's coordinates) in the layer's style.
bool CompositeStrokeLayer(TMTC& picture, const TMTC& working, TPoint at, TPattern pattern,
                          const CLayerData& layer, TBox box, Clock& clock = systemClock());
// The legacy twin draws only modes 0-3.
bool CompositeStrokeLayerLegacy(TMTC& picture, const TMTC& working, TPoint at,
                                const CLayerData& layer, TBox box);

// Composites the box of a layer's image into another tiled image at `at` with the layer's
// CompositeFn and opacity (and its blend option, stored pattern). Transparent uniform source
// blocks are skipped; pairs of uniform whole blocks only combine their Fill values. The
// target's alpha bytes never change.
bool CompositeInto(CBlockVMTC& target, const CLayerData& source, TBox box, TPoint at);

// The legacy engine's merge of an upper layer into the lower layer's image (same coordinates):
// allocated parts are drawn with the legacy function of the upper mode, uniform parts with a
// non-zero Fill alpha with that Fill; every touched part of the lower image becomes opaque.
bool LegacyMergeDown(const CLayerData& upper, CBlockVMTC& lowerImage);

} // namespace qm
