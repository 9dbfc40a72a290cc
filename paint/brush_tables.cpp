#include "paint/brush_tables.h"

#include <algorithm>
#include <cmath>

namespace qm {

namespace {

uint32_t toFixed(double value)
{
    return uint32_t(std::lround(std::max(value, 0.0) * 65536.0));
}

double profileValue(int32_t index, int32_t i)
{
    const double x = double(i) / double(kProfileSize - 1);
    switch (index) {
    case 0: return i <= 1843 ? 255.0 : 255.0 - 255.0 * double(i - 1844) / 203.0;
    case 1: return 255.0 * std::sqrt(std::max(0.0, 1.0 - x * x));
    case 2: return 255.0 * (2.0 * x * x * x - 3.0 * x * x + 1.0);
    case 3: return 255.0 * (1.0 - x);
    default: return 255.0 * (1.0 - std::sqrt(std::max(0.0, 1.0 - (1.0 - x) * (1.0 - x))));
    }
}

std::array<TProfileTable, kAirProfileCount> buildProfiles()
{
    std::array<TProfileTable, kAirProfileCount> tables{};
    for (int32_t p = 0; p < kAirProfileCount; ++p)
        for (int32_t i = 0; i < kProfileSize; ++i)
            tables[size_t(p)][size_t(i)] = toFixed(profileValue(p, i));
    return tables;
}

} // namespace

const TProfileTable& airProfile(int32_t index)
{
    static const std::array<TProfileTable, kAirProfileCount> tables = buildProfiles();
    return tables[size_t(std::clamp(index, 0, kAirProfileCount - 1))];
}

TProfileTable lightnessCurve(float exponent)
{
    TProfileTable curve{};
    const double e = std::isfinite(exponent) ? double(exponent) : 1.0;
    for (int32_t i = 0; i < kProfileSize; ++i)
        curve[size_t(i)] = toFixed(std::pow(double(i) / double(kProfileSize - 1), e));
    return curve;
}

} // namespace qm
