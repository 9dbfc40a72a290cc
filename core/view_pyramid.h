// Halved copies of the window's picture, so a zoomed-out smooth view reads a few pixels per
// window pixel instead of every paper pixel under it.
//
// Pixel format: 32-bit 0xAARRGGBB, not premultiplied; every byte (alpha too) is averaged alike.
// Level k (k ≥ 1) is ceil(width / 2^k) × ceil(height / 2^k): pixel (x, y) is the 2 × 2 mean of
// pixels (2x, 2y) … (2x + 1, 2y + 1) of level k − 1 (level 0 being the picture), each byte
// floor(sum / 4); a pair that runs past an odd edge repeats the edge pixel, so a uniform picture
// gives uniform levels of the same colour. Levels go on until one is 1 × 1.
#pragma once

#include "core/dib_core.h"
#include "core/rect.h"

#include <cstdint>
#include <vector>

namespace qm {

class TViewPyramid {
  public:
    // Builds every level from the picture (none for an empty one).
    void rebuild(const TMTC& picture);
    // Brings the levels up to date after the picture changed inside `dirty` (picture
    // coordinates). A picture of another size than the one built from is rebuilt whole.
    void update(const TMTC& picture, const TBox& dirty);
    void clear();

    // Built from a picture of this size.
    bool matches(const TMTC& picture) const
    {
        return !levels_.empty() && picture.width() == width_ && picture.height() == height_;
    }
    // The number of levels above the picture.
    int32_t levels() const { return int32_t(levels_.size()); }
    // 1 ≤ k ≤ levels().
    const TMTC& level(int32_t k) const { return levels_[size_t(k - 1)]; }

  private:
    // Recomputes rows [top, bottom) and columns [left, right) of level k from the one below.
    void halve(const TMTC& below, TMTC& level, int32_t left, int32_t top, int32_t right,
               int32_t bottom) const;

    int32_t width_ = 0;
    int32_t height_ = 0;
    std::vector<TMTC> levels_;
};

} // namespace qm
