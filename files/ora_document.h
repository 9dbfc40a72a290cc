// A layered picture as an OpenRaster file holds it, independent of any paper: the layers
// (bottom first, the reverse of the file's order) with their pixels and where they lie, and the
// merged picture. Pixels are TMTC: 0xAARRGGBB with straight alpha, as the file's PNGs hold them.
//
// Besides the attributes every reader knows, our files carry a layer's exact mode number,
// alpha protection and blend option in attributes of our own namespace, so that they come back
// unchanged; files from other programs give the defaults for these.
#pragma once

#include "core/dib_core.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

struct TOraLayer {
    std::string name; // UTF-8
    int32_t x = 0;    // position of the pixels' top-left corner in the picture
    int32_t y = 0;
    TMTC pixels; // may be 0 × 0 for a layer without content
    uint8_t opacity = 255;
    bool visible = true;
    uint8_t mode = 3; // our blend mode number (3 = normal)
    uint8_t protectAlpha = 0;
    uint8_t blendNoise = 0;
    uint8_t blendAmount = 255;
};

struct TOraDocument {
    int32_t width = 0;
    int32_t height = 0;
    int32_t dpi = 72;
    std::vector<TOraLayer> layers;
    TMTC merged; // width × height, or empty: the writer then stores a transparent picture
};

// The largest picture or layer side we read or write, the most layers, and how far outside
// the picture a layer may begin.
inline constexpr int32_t kOraMaxSide = 30000;
inline constexpr int32_t kOraMaxLayers = 10000;
inline constexpr int32_t kOraMaxOffset = 1000000;
// The thumbnail fits into a square of this side.
inline constexpr int32_t kOraThumbnailSide = 256;

inline constexpr const char* kOraMimetype = "image/openraster";
inline constexpr const char* kOraStackVersion = "0.0.5";
// Our own attributes' namespace.
inline constexpr const char* kOraOwnNamespace = "urn:quillmere:ora:1";

// The composite operation a reader of the format knows for one of our modes; modes it has
// no name for are written as "svg:src-over" (our own attribute keeps the real mode).
const char* compositeOpFromMode(uint8_t mode);
// 0 on success, else one of these (the reader's results).
enum class OraError : int {
    None = 0,
    CannotOpen = 1,    // the file could not be read
    NotZip = 2,        // not a consistent zip archive
    BadMimetype = 3,   // no "mimetype" entry saying "image/openraster"
    MissingStack = 4,  // no "stack.xml"
    BadStack = 5,      // stack.xml is not well-formed, or an attribute is not a valid number
    BadSize = 6,       // a picture or layer side of 0 or above 30000, or a layer placed too far off
    TooManyLayers = 7, // more than 10000 layers
    MissingEntry = 8,  // a layer's PNG is not in the archive
    BadPng = 9,        // a layer's PNG cannot be decoded
    BadMergedImage = 10, // the merged picture cannot be decoded or is not the picture's size
    TooLarge = 11,       // an entry states more bytes than a picture of its kind can need
    OutOfMemory = 12,
    Damaged = 13, // an entry's data does not match what the archive's directory states
};

// Our mode for a composite operation; unknown names and those without a mode of ours give
// normal.
uint8_t modeFromCompositeOp(std::string_view op);

} // namespace qm
