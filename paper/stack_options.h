// What the paper's whole-stack and layer-stack operations take and what their events carry,
// shared by the paper, which performs them, and the recorder, which writes them down.
#pragma once

#include "core/dib_core.h"
#include "core/rect.h"

#include <cstdint>
#include <optional>
#include <string>

namespace qm {

// The paper operations (category 2) of the stack.
namespace paperEvent {
inline constexpr uint8_t canvasSize = 2;
inline constexpr uint8_t resample = 3; // the supersampled rescale, met only in recordings
inline constexpr uint8_t turnClockwise = 4;
inline constexpr uint8_t turnCounterClockwise = 5;
inline constexpr uint8_t crop = 6;
inline constexpr uint8_t mergeAll = 7;
inline constexpr uint8_t resolution = 9; // the area-averaged rescale
inline constexpr uint8_t flipVisibleLeftRight = 16;
inline constexpr uint8_t flipVisibleTopBottom = 17;
inline constexpr uint8_t halfTurnVisible = 18;
inline constexpr uint8_t negateVisible = 19;
inline constexpr uint8_t showAll = 24; // value 1 shows every layer, 0 hides every layer
inline constexpr uint8_t showOnly = 25;
inline constexpr uint8_t invertVisibility = 26;
} // namespace paperEvent

// The layer operations (category 4) of the stack.
namespace layerStackEvent {
inline constexpr uint8_t mergeDown = 5; // the source mode's merge
inline constexpr uint8_t cutOutside = 8;
inline constexpr uint8_t cut = 9;
inline constexpr uint8_t mergeDownKind = 10; // a merge kind carried as the value
inline constexpr uint8_t newNamed = 11;
inline constexpr uint8_t moveWithMask = 13; // the move tool's move of a layer and selection
inline constexpr uint8_t turnClockwise = 36;
inline constexpr uint8_t turnCounterClockwise = 37;
inline constexpr uint8_t rotate = 38; // by an angle in degrees (float)
inline constexpr uint8_t scale = 39;  // to a new image size
} // namespace layerStackEvent

// The image placements (category 12).
namespace placeEvent {
inline constexpr uint8_t newLayer = 1;
inline constexpr uint8_t intoLayer = 2;
} // namespace placeEvent

// Where the old picture lands in a resized canvas: 0 … 8, left to right by column, top to
// bottom within a column (0 top left, 4 centre, 8 bottom right).
TPoint canvasAnchorOffset(int32_t anchor, int32_t oldWidth, int32_t oldHeight, int32_t newWidth,
                          int32_t newHeight);

// A new paper size: the canvas size (anchor and what happens to the parts of the layers
// outside it) or a rescale (and the resolution the paper then has; 0 keeps it).
struct TPaperResize {
    int32_t width = 0;
    int32_t height = 0;
    uint8_t anchor = 0;
    uint8_t trimLayers = 0; // canvas size: 1 cuts every layer to the new paper
    int32_t dpi = 0;
};

// A layer made from the new-layer dialog.
struct TNewLayerChoice {
    int32_t index = 0; // inserted before this index
    int32_t width = 0, height = 0;
    uint8_t opacity = 255;
    uint8_t mode = 3;
    bool visible = true;
    bool neutralFill = false; // opaque in its mode's neutral colour instead of transparent
    std::string name;         // empty: the next default name
};

// A picture placed on the paper: as a new layer, or into a layer. `at` is where its top-left
// pixel lands on the paper.
inline constexpr uint8_t kLastPlacedMode = 22;

// What a layer copied in this program brings along when it is pasted as a new layer.
struct TPlacedAttributes {
    uint8_t mode = 0, opacity = 255; // the mode at most 22
    bool visible = true, protectAlpha = false;
    friend bool operator==(const TPlacedAttributes&, const TPlacedAttributes&) = default;
};

struct TImagePlacement {
    int32_t layer = 0;
    TPoint at{0, 0};
    std::string name;
    TMTC image;
    std::optional<TPlacedAttributes> attributes; // none for a picture from another program
};

} // namespace qm
