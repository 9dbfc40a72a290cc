// The 22 blend modes: numbers, names, neutral and base colours, flags, and the order in which
// the user interface lists them. The per-pixel functions of each mode live in blend_modes.h.
#pragma once

#include <array>
#include <cstdint>

namespace qm {

enum class BlendMode : uint8_t {
    Multiply = 0,
    Add = 1,
    Subtract = 2,
    Normal = 3,
    Screen = 4,
    Overlay = 5,
    HardLight = 6,
    SoftLight = 7,
    Difference = 8,
    Exclusion = 9,
    Darken = 10,
    Lighten = 11,
    Burn = 12,
    Dodge = 13,
    Hue = 14,
    Saturation = 15,
    Colour = 16,
    Luminosity = 17,
    SubtractNegative = 18,
    LinearLight = 19,
    VividLight = 20,
    PinLight = 21,
};

inline constexpr int kBlendModeCount = 22;

// Mode flags.
inline constexpr uint32_t kModeInvertAfterUnion = 0x01;  // invert the result of a kind 1/2 merge
inline constexpr uint32_t kModeUnionFromSource = 0x08;   // the union merge starts from the source
inline constexpr uint32_t kModeOffersNeutral = 0x20;     // the new-layer dialog offers "neutral"

struct TModeInfo {
    int32_t id;
    const char* name;  // the resource text shown in the mode list
    uint32_t neutral;  // what a new layer of this mode is filled with (alpha 0)
    uint32_t base;     // start colour of the union merge
    uint32_t flags;
};

// The record of a mode number (its low 7 bits); nullptr when there is none.
const TModeInfo* modeInfo(uint32_t mode);
// The neutral colour of a mode; 0x00FFFFFF for numbers without a record.
uint32_t neutralColour(uint32_t mode);
// The displayed name; "" for numbers without a record.
const char* modeName(uint32_t mode);

// Mode numbers in the order of the user interface's list.
extern const std::array<uint8_t, kBlendModeCount> kModeListOrder;
// The mode shown at a list position; positions outside the list give Normal.
uint32_t modeAtListPosition(int32_t position);
// The list position of a mode (−1 when it has none).
int32_t listPositionOfMode(uint32_t mode);

} // namespace qm
