#include "app/dialog_values.h"

#include "files/app_profile.h"

#include <algorithm>

namespace qm {

TIntChoice paperDpiChoice(int32_t currentDpi)
{
    constexpr int32_t kLow = 72, kHigh = 600;
    const int32_t initial = currentDpi == 0 ? kLow : std::clamp(currentDpi, kLow, kHigh);
    return {kLow, kHigh, initial};
}

TIntChoice undoDepthChoice(int32_t current) { return {1, 99, std::clamp(current, 1, 99)}; }

TIntChoice gridSpacingChoice(int32_t current) { return {2, 1000, std::clamp(current, 2, 1000)}; }

int32_t jpegPresetQuality(const TFileIOSettings& io, int32_t preset)
{
    switch (preset) {
    case 0: return io.jpegQVHigh;
    case 1: return io.jpegQHigh;
    case 2: return io.jpegQStd;
    case 3: return io.jpegQLow;
    default: return io.jpegQuality;
    }
}

} // namespace qm
