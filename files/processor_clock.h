// The processor's clock rate, measured at start-up for the settings' facts.
#pragma once

#include <cstdint>

namespace qm {

// Cycles of the time-stamp counter over `milliseconds` of steady time, in Hz; 0 where the
// processor has no such counter.
double measureProcessorClock(int milliseconds = 100);

} // namespace qm
