#include "core/clock.h"

#include <chrono>

namespace qm {

namespace {
class SystemClock : public Clock {
public:
    uint32_t milliseconds() override
    {
        using namespace std::chrono;
        return uint32_t(duration_cast<std::chrono::milliseconds>(
                            steady_clock::now().time_since_epoch())
                            .count());
    }
};
} // namespace

Clock& systemClock()
{
    static SystemClock clock;
    return clock;
}

} // namespace qm
