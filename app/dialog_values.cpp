#include "app/dialog_values.h"

#include <algorithm>

namespace qm {

TIntChoice paperDpiChoice(int32_t currentDpi)
{
    constexpr int32_t kLow = 72, kHigh = 600;
    const int32_t initial = currentDpi == 0 ? kLow : std::clamp(currentDpi, kLow, kHigh);
    return {kLow, kHigh, initial};
}

} // namespace qm
