// The filters' random numbers: a 32-bit linear congruential generator whose sequence is part
// of the recording (replay seeds it the same way and must draw the same numbers).
#pragma once

#include <cstdint>

namespace qm {

class TFilterRandom {
public:
    explicit TFilterRandom(uint32_t seed = 0) : state_(seed) {}
    // The next state: state·134775813 + 1 mod 2^32.
    uint32_t next()
    {
        state_ = state_ * 134775813u + 1u;
        return state_;
    }
    // A value in [lo, hi): lo + the upper half of (hi − lo)·state.
    int32_t range(int32_t lo, int32_t hi)
    {
        const uint64_t span = uint64_t(int64_t(hi) - int64_t(lo));
        return int32_t(int64_t(lo) + int64_t((span * next()) >> 32));
    }
    // A value in [0, n).
    int32_t below(int32_t n) { return range(0, n); }
    uint32_t state() const { return state_; }

private:
    uint32_t state_;
};

} // namespace qm
