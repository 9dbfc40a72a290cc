// Screentone attributes, the ten dot shapes and their spot functions, and tone names.
#pragma once

#include <cstdint>
#include <string>

namespace qm {

constexpr int32_t kToneShapeCount = 10;

enum class ToneShape : uint8_t {
    Round = 0,    // circle, halftone style (dots merge into a chequer past 50 %)
    Dot = 1,      // plain circle
    DotCos = 2,   // cosine circle
    Line = 3,
    LineX = 4,
    LineY = 5,
    Square = 6,
    Cross = 7,
    Diamond = 8,
    Rhomboid = 9,
};

// The creation dialog's defaults and ranges.
struct SToneAttrRange {
    float minimum;
    float maximum;
};
constexpr SToneAttrRange kToneDpiRange{72.0f, 600.0f};
constexpr SToneAttrRange kToneLinesRange{2.0f, 100.0f};
constexpr SToneAttrRange kTonePercentRange{1.0f, 99.0f};
constexpr SToneAttrRange kToneAngleRange{0.0f, 90.0f};
constexpr SToneAttrRange kToneBlurRange{0.0f, 40.0f};

// A tone's attributes; copied as a whole. The period in pixels is dpi / lines.
struct SToneAttr {
    uint8_t shape = 0;     // 0..9, see ToneShape
    float dpi = 300.0f;    // resolution the tone is designed for
    float lines = 55.0f;   // screen ruling, lines per inch
    float percent = 10.0f; // ink coverage
    float angle = 0.0f;    // degrees
    int32_t blur = 0;      // softness, in percentage steps
    int32_t flag = 1;      // stored with the tone; 1 for new tones
    std::string name;

    float period() const { return dpi / lines; }
    friend bool operator==(const SToneAttr&, const SToneAttr&) = default;
};

// Out-of-range shape indices count as the nearest end.
int32_t ClampToneShape(int32_t shape);

// The spot function f(U, V) of a shape (clamped), U and V in −1..1 across one cell. The threshold
// field is −f, so ink grows from the maxima of f.
double SpotFunction(int32_t shape, double u, double v);

// "Round", "Dot", … ; "???" for an index outside 0..9.
const char* ToneShapeName(int32_t shape);
// The creation dialog's caption of the shape; "???" outside 0..9.
const char* ToneShapeCaption(int32_t shape);

// The automatic name "<shape> <lines>L <percent>% <angle>D <blur>, <dpi>dpi", numbers truncated.
std::string ToneName(const SToneAttr& attr);

} // namespace qm
