// What the fills on the paper take and what their events carry, shared by the paper, which
// fills, and the recorder, which writes them down.
#pragma once

#include "core/rect.h"

#include <cstdint>
#include <vector>

namespace qm {

// The paint bucket and the magic wand: the colour limit, which picture the region is grown on
// (the current layer, or the displayed picture), and the anti-alias pass.
// The largest colour limit: 2·L² then passes the largest colour distance (3 × 255²), so every
// colour matches. Stored settings beyond it are held to it.
inline constexpr int32_t kMaxFillLimit = 320;

struct TSeedFillOptions {
    int32_t limit = 20;
    bool fromView = false;
    bool antiAlias = false;
};

// The area fill events (their sub-codes).
namespace areaFillEvent {
inline constexpr uint8_t fillSelection = 0;  // the selection with a colour
inline constexpr uint8_t clearSelection = 1; // the selection with the paper colour
inline constexpr uint8_t gradation = 2;
inline constexpr uint8_t shape = 3;          // the fill tool: a rectangle or an ellipse
inline constexpr uint8_t polygon = 4;
inline constexpr uint8_t wholeLayer = 5;     // the Insert key: the layer with the pen colour
} // namespace areaFillEvent

// What the value of a shape fill names.
enum class TFillShape : int32_t { rectangle = 0, ellipse = 1 };

// The channel events (their sub-codes): a coverage channel applied to a layer or made into a
// selection.
namespace channelEvent {
inline constexpr uint8_t bucket = 0;       // paint bucket, grown on the layer
inline constexpr uint8_t wand = 1;         // magic wand, grown on the layer
inline constexpr uint8_t bucketOnView = 2; // the same grown on the displayed picture
inline constexpr uint8_t wandOnView = 3;
inline constexpr uint8_t text = 16;
inline constexpr uint8_t textSelection = 17;
inline constexpr uint8_t colourMask = 32;
} // namespace channelEvent

inline bool isWandEvent(uint8_t sub)
{
    return sub == channelEvent::wand || sub == channelEvent::wandOnView;
}

// The channels that become a selection instead of paint.
inline bool isSelectionChannel(uint8_t sub)
{
    return isWandEvent(sub) || sub == channelEvent::textSelection ||
           sub == channelEvent::colourMask;
}

// The text tool's two records, as they are written before its channel: the font record
// (LOGFONT, spacing, leading) and the text.
struct TTextRecords {
    std::vector<uint8_t> font;
    std::vector<uint8_t> text;
};

// The head of a channel event. For the fills: `first` is the layer's offset when the region
// was made, `second` the clicked paper point, `position` the displayed picture's paper origin
// (the view variants only); options[0] the anti-alias switch, options[1] the wand's
// combination mode, options[2] 1 when grown on the view; `optionValue` the colour limit;
// `value` the mask slot a wand result goes to. `rect` is where the channel lies: in the
// layer's image for the bucket, in the picture it was grown on for the wand.
struct TChannelEventHead {
    int16_t layer = 0;
    int16_t value = 0;
    TPoint first{0, 0};
    TPoint second{0, 0};
    TPoint position{0, 0};
    uint8_t options[3] = {0, 0, 0};
    int16_t optionValue = 0;
    TRect rect{0, 0, 0, 0};
};

} // namespace qm
