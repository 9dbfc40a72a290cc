// What the main window's value dialogs offer: their range and the value they start from, so
// the rules hold without a display.
#pragma once

#include <cstdint>

namespace qm {

struct TIntChoice {
    int32_t low = 0;
    int32_t high = 0;
    int32_t initial = 0;
};

// The paper resolution dialog: 72 … 600 dots per inch, starting at the paper's (72 when it has
// none), kept within the range.
TIntChoice paperDpiChoice(int32_t currentDpi);

} // namespace qm
