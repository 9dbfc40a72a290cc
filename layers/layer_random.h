// The pseudo-random generator of a layer's blend option: a linear congruential sequence
// scaled into [Low, High). Twenty bytes of plain state, copied freely: every composite call
// starts from a copy of the layer's stored state, so a pattern repeats exactly on replay.
#pragma once

#include <cstdint>

namespace qm {

struct CLayerRandom {
    uint32_t seed = 0;
    uint32_t low = 0;
    uint32_t high = 0;
    uint32_t count = 0; // numbers drawn since Initialise
    uint32_t state = 0;

    void Initialise(uint32_t newSeed, uint32_t newLow, uint32_t newHigh)
    {
        seed = state = newSeed;
        low = newLow;
        high = newHigh;
        count = 0;
    }

    // Low + (High − Low) × State / 2^32: results lie in [Low, High) for High > Low.
    uint32_t Next()
    {
        ++count;
        state = state * 134775813u + 1u; // 32-bit wrap-around
        const uint64_t product = uint64_t(high - low) * uint64_t(state);
        return low + uint32_t(product >> 32);
    }

    friend bool operator==(const CLayerRandom&, const CLayerRandom&) = default;
};

} // namespace qm
