#include "files/processor_clock.h"

#include <chrono>
#include <thread>

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#endif

namespace qm {

double measureProcessorClock(int milliseconds)
{
#if defined(__x86_64__) || defined(__i386__)
    using clock = std::chrono::steady_clock;
    const auto start = clock::now();
    const uint64_t cycles0 = __rdtsc();
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    const uint64_t cycles1 = __rdtsc();
    const double seconds = std::chrono::duration<double>(clock::now() - start).count();
    return seconds > 0 ? double(cycles1 - cycles0) / seconds : 0.0;
#else
    (void)milliseconds;
    return 0.0;
#endif
}

} // namespace qm
