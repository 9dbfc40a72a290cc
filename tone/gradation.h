// Evaluating a gradation: the position of a pixel along a line, around a point or out from
// it, repeated and mirrored as the options say, and the colour of the stops there.
// Colours are 0x00BBGGRR with alpha on top (red in the low byte) until they are written into
// an image, which takes them in its own byte order.
#pragma once

#include "core/pixel_math.h"
#include "core/rect.h"
#include "tone/color_slot_group.h"

namespace qm {

enum class GradType : uint8_t { Linear = 0, Radiating = 1, Circular = 2 };
enum class GradMap : uint8_t { Normal = 0, ThereAndBack = 1 };
enum class GradRepeat : uint8_t { Counted = 0, Endless = 1 };

inline constexpr const char* kGradTypeNames[] = {"線形", "放射形", "円形"};
inline constexpr const char* kGradMapNames[] = {"通常", "往復"};

// Options as stored: a flag byte, type, map, repeat mode, and the repeat count (≥ 1).
struct TGradOptions {
    uint8_t flag = 0;
    uint8_t type = 0;
    uint8_t map = 0;
    uint8_t repeat = 0;
    int32_t count = 1;

    void setCount(int32_t c) { count = c <= 0 ? 1 : c; }
    friend bool operator==(const TGradOptions&, const TGradOptions&) = default;
};

class CGradation {
public:
    // False, keeping the options in force, unless type 0..2, map 0..1, repeat 0..1, count > 0.
    bool SetOptions(int type, int map, int32_t count, int repeat);
    // Start and end in 16.16 paper coordinates.
    void SetLine(TPoint start, TPoint end);
    void GetLine(TPoint& start, TPoint& end) const
    {
        start = start_;
        end = end_;
    }
    // The stops in use (not owned; expected compacted and normalised).
    void setStops(const CColorSlotGroup* stops) { stops_ = stops; }

    // The position parameter u of a pixel before repeat and map.
    double positionAt(double x, double y) const;
    // The colour at pixel (x, y), with alpha.
    uint32_t ColorAtPixel(int32_t x, int32_t y) const;
    // ColorAtPixel for every pixel of the box, in the image's byte order.
    bool RenderRect(TMTC& image, TBox box) const;

    GradType type() const { return GradType(type_); }
    // The options as SetOptions takes them.
    TGradOptions options() const
    {
        TGradOptions o;
        o.type = type_, o.map = map_, o.repeat = repeat_, o.count = count_;
        return o;
    }

private:
    double repeated(double u) const;
    double mapped(double u) const;

    uint8_t type_ = 0, map_ = 0, repeat_ = 0;
    int32_t count_ = 1;
    double reciprocal_ = 1.0;
    const CColorSlotGroup* stops_ = nullptr;
    TPoint start_{}, end_{};
    double startX_ = 0, startY_ = 0, vx_ = 0, vy_ = 0, length2_ = 0;
    double angle_ = 0; // of v, in turns
    double radiusX_ = 0, radiusY_ = 0;
};

// The gradation fill's rule for one pixel: with the colour ColorAtPixel gives, its coverage
// is mul(mul(channel, opacity), colour alpha), mul(a, b) = (a · b · 32897) >> 23.
inline uint32_t gradationFillCoverage(uint32_t colourWithAlpha, uint32_t channel, uint32_t opacity)
{
    return Mul255(Mul255(channel, opacity), colourWithAlpha >> 24);
}

// Painting with a gradation: a stroke pixel's coverage becomes mul(coverage, colour alpha).
inline uint32_t gradationPaintCoverage(uint32_t colourWithAlpha, uint32_t coverage)
{
    return Mul255(coverage, colourWithAlpha >> 24);
}

} // namespace qm
