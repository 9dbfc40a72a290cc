// Test helpers that turn image rows into short strings, so expectations read as one line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qm::test {

// "v0 v1 ...".
inline std::string text(const std::vector<int>& row)
{
    std::string s;
    for (int v : row) {
        if (!s.empty())
            s += ' ';
        s += std::to_string(v);
    }
    return s;
}

using Grid = std::vector<std::vector<int>>;

// The channel's bytes, or the green byte of each 32-bit pixel.
template <typename Image>
Grid grid(const Image& c)
{
    Grid g(static_cast<size_t>(c.height()));
    for (int32_t y = 0; y < c.height(); ++y)
        for (int32_t x = 0; x < c.width(); ++x)
            g[size_t(y)].push_back(
                int((c.row(y)[x] >> (sizeof(c.row(y)[x]) == 4 ? 8 : 0)) & 0xFF));
    return g;
}

} // namespace qm::test
