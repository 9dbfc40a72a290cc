// What the main window's value dialogs offer: their range and the value they start from, so
// the rules hold without a display.
#pragma once

#include <cstdint>

namespace qm {

struct TFileIOSettings;

struct TIntChoice {
    int32_t low = 0;
    int32_t high = 0;
    int32_t initial = 0;
};

// The paper resolution dialog: 72 … 600 dots per inch, starting at the paper's (72 when it has
// none), kept within the range.
TIntChoice paperDpiChoice(int32_t currentDpi);

// The options dialog: undo steps 1 … 99 and grid spacing 2 … 1000 pixels, starting from the
// setting kept within the range.
TIntChoice undoDepthChoice(int32_t current);
TIntChoice gridSpacingChoice(int32_t current);

// The JPEG options' quality presets: 0 highest, 1 high, 2 standard, 3 low take the quality the
// settings keep for them; 4 is the user's own quality.
inline constexpr int32_t kJpegOwnQuality = 4;
int32_t jpegPresetQuality(const TFileIOSettings& io, int32_t preset);

} // namespace qm
