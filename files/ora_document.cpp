#include "files/ora_document.h"

#include "layers/blend_mode_table.h"

#include <array>
#include <utility>

namespace qm {
namespace {

using Op = std::pair<BlendMode, const char*>;

// Our modes that the format names. Subtract, the negative and the light modes other than
// hard and soft light have no name there.
constexpr std::array kNamedModes = {
    Op{BlendMode::Normal, "svg:src-over"},
    Op{BlendMode::Multiply, "svg:multiply"},
    Op{BlendMode::Add, "svg:plus"},
    Op{BlendMode::Screen, "svg:screen"},
    Op{BlendMode::Overlay, "svg:overlay"},
    Op{BlendMode::HardLight, "svg:hard-light"},
    Op{BlendMode::SoftLight, "svg:soft-light"},
    Op{BlendMode::Difference, "svg:difference"},
    Op{BlendMode::Darken, "svg:darken"},
    Op{BlendMode::Lighten, "svg:lighten"},
    Op{BlendMode::Burn, "svg:color-burn"},
    Op{BlendMode::Dodge, "svg:color-dodge"},
    Op{BlendMode::Hue, "svg:hue"},
    Op{BlendMode::Saturation, "svg:saturation"},
    Op{BlendMode::Colour, "svg:color"},
    Op{BlendMode::Luminosity, "svg:luminosity"},
};

} // namespace

const char* compositeOpFromMode(uint8_t mode)
{
    for (const auto& [ours, name] : kNamedModes)
        if (uint8_t(ours) == (mode & 0x7F)) return name;
    return "svg:src-over";
}

uint8_t modeFromCompositeOp(std::string_view op)
{
    for (const auto& [ours, name] : kNamedModes)
        if (op == name) return uint8_t(ours);
    // Not in the format's list, but some programs write it and we have the mode.
    if (op == "svg:exclusion") return uint8_t(BlendMode::Exclusion);
    return uint8_t(BlendMode::Normal);
}

} // namespace qm
