// A millisecond timer. The application reads the system's; tests use a fake one.
#pragma once

#include <cstdint>

namespace qm {

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since an arbitrary start; wraps around like a 32-bit counter.
    virtual uint32_t milliseconds() = 0;
};

// The steady system clock.
Clock& systemClock();

// A clock that says what it is told, for tests.
class FakeClock : public Clock {
public:
    explicit FakeClock(uint32_t now = 0) : now(now) {}
    uint32_t milliseconds() override { return now; }
    uint32_t now;
};

} // namespace qm
