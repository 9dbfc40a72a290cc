// Pictures on the desktop's clipboard. A copy offers the picture as PNG and as a BMP file (the
// forms other Linux programs paste), and, for this program, the rectangle it came from and,
// for a whole layer, the layer's attributes in types of our own. A paste takes the first of
// PNG, BMP or any picture Qt can read, with our own extras when they are there.
#pragma once

#include "core/dib_core.h"
#include "core/rect.h"
#include "paper/stack_options.h"

#include <optional>
#include <string>
#include <vector>

namespace qm::ui {

inline constexpr const char* kLayerAttributesMime = "application/x-quillmere-layer";
inline constexpr const char* kClipBoxMime = "application/x-quillmere-clip-box";

struct TClipboardPicture {
    TMTC image;
    std::optional<TPlacedAttributes> attributes; // a layer copied here, with its name
    std::string name;
    std::optional<TPoint> copiedAt; // a copy from here: the paper point it came from
};

// `area` is where the picture lies on the paper; `layerAttributes` the copied layer's record.
bool putPictureOnClipboard(const TMTC& picture, const TRect& area,
                           const std::vector<uint8_t>& layerAttributes = {});
// False when the clipboard holds no picture that can be read.
bool pictureFromClipboard(TClipboardPicture& picture);
bool clipboardHasPicture();

} // namespace qm::ui
