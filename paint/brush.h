// The nine brush kinds: what one dab does to the flow image, and how "pen" and "blur2" are
// composed over the layer before a rectangle is shown.
//
// Pixel formats as in brush_plot.h. Dab positions and every rectangle here are in the layer
// image's coordinates; a dab at (x, y) is centred on the pixel whose top-left corner is
// (x − 0.5, y − 0.5).
#pragma once

#include "core/block_vmtc.h"
#include "core/dib_core.h"
#include "paint/brush_plot.h"
#include "paint/brush_tables.h"
#include "paint/stroke.h"

#include <array>
#include <cstdint>

namespace qm {

// What the dab routines paint into and read from during one stroke.
struct TBrushCanvas {
    TMTC* work = nullptr;              // working copy of the stroke's layer
    TChannel* coverage = nullptr;      // coverage of the stroke ("pen", "blur2")
    const CBlockVMTC* layer = nullptr; // the layer's stored pixels ("blur", the compose steps)
    TPlotter plot;
    uint32_t neutral = 0;   // neutral colour of the layer's blend mode ("eraser")
    int32_t stepAxis = 1;   // major axis of the segment being painted: 1 = x, 0 = y
    bool legacy = false;    // the version 1.1 engine
    TProfileTable curve{};  // "darken", "lighten": the lightness curve of this stroke
    TMTC scratch;           // layer pixels around a dab ("blur")
    // The airbrush profile times the dab alpha, as bytes; rebuilt when either changes.
    std::array<uint8_t, kProfileSize> profileBytes{};
    int32_t profileKey = -1;
    // Where coverage changed since the last compose; elsewhere `work` is already composed
    // from the same layer pixels and coverage, so composing it again would change nothing.
    TBox uncomposed{};

    // The source the stroke reads its wc pick-up and rubpen tips from: the working copy.
    TStrokeSource source(int32_t offsetX, int32_t offsetY, uint32_t fillValue) const;
};

// Whether the kind paints coverage and is composed over the layer ("pen", "blur2").
inline bool usesCoverage(int32_t kind)
{
    return kind == int32_t(TBrushKind::pen) || kind == int32_t(TBrushKind::blur2);
}

// Per-stroke preparation after the stroke has started (the lightness curve).
void prepareBrush(TBrushCanvas& canvas, const TStroke& stroke);

// One dab of the current engine, and one step of the version 1.1 engine (kinds 0 … 4).
void paintDab(TBrushCanvas& canvas, TStroke& stroke, const TDab& dab);
void paintDabLegacy(TBrushCanvas& canvas, TStroke& stroke, const TDab& dab);

// Brings the box of `work` up to date for "pen" and "blur2" (the other kinds painted into it
// directly): the layer's pixels with the stroke laid over them.
void composeStroke(TBrushCanvas& canvas, const TStroke& stroke, TBox box);

// The span disc: the circle as horizontal (or, vertical = true, vertical) soft spans, each
// row's span as wide as the circle at the middle of the part of the row it covers, the first
// and last rows weighted by that part; a radius below 0.5 is one pixel-long span at half the
// value. write(x, y, value) gets each pixel at a span's ends, writeRun(x0, y0, x1, y1, value)
// each wholly covered stretch between them (one row or one column, ends included).
template <typename Writer, typename RunWriter>
void spanDisc(int32_t width, int32_t height, float cx, float cy, float radius, uint8_t value,
              float opacity, bool vertical, Writer&& write, RunWriter&& writeRun);

} // namespace qm

#include "paint/span_disc.inl"
