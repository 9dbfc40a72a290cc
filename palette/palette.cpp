// The user palette; see palette.h.
#include "palette/palette.h"

#include <algorithm>
#include <new>
#include <stdexcept>

namespace qm {

TPalGrid TPalGrid::clamped() const
{
    return {std::clamp(columns, kMinCount, kMaxCount), std::clamp(rows, kMinCount, kMaxCount),
            std::clamp(cellWidth, kMinCell, kMaxCell), std::clamp(cellHeight, kMinCell, kMaxCell)};
}

CPalette::CPalette()
{
    reset();
}

void CPalette::reset()
{
    std::vector<TPalEntry> cube;
    cube.reserve(kDefaultCount);
    for (int32_t b = 0; b < 4; ++b)
        for (int32_t g = 0; g < 8; ++g)
            for (int32_t r = 0; r < 8; ++r)
                cube.push_back({uint8_t(b * 255 / 3), uint8_t(g * 255 / 7), uint8_t(r * 255 / 7),
                                uint8_t(PalSource::Rgb)});
    replace(cube, TPalGrid{});
}

int32_t CPalette::find(uint32_t rgb) const
{
    for (int32_t i = 0; i < count_; ++i)
        if (cells_[size_t(i)].rgb() == (rgb & 0xFFFFFF)) return i;
    return -1;
}

void CPalette::reserveFor(int32_t count)
{
    const size_t needed = size_t(count) + size_t(grid_.columns);
    if (cells_.size() < needed) cells_.resize(needed); // value-initialised: the new slots are zero
}

void CPalette::zeroSpare()
{
    std::fill(cells_.begin() + count_, cells_.end(), TPalEntry{});
}

bool CPalette::replace(std::span<const TPalEntry> entries, const TPalGrid& grid)
{
    try {
        const TPalGrid g = grid.clamped();
        std::vector<TPalEntry> cells(entries.size() + size_t(g.columns));
        std::copy(entries.begin(), entries.end(), cells.begin());
        cells_ = std::move(cells);
        count_ = int32_t(entries.size());
        grid_ = g;
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
}

void CPalette::setGrid(const TPalGrid& grid)
{
    const TPalGrid g = grid.clamped();
    if (g == grid_) return;
    const TPalGrid old = grid_;
    grid_ = g;
    try {
        reserveFor(count_);
    } catch (const std::bad_alloc&) {
        grid_ = old;
        return;
    }
    modified_ = true;
}

bool CPalette::insert(int32_t before, TPalEntry entry)
{
    if (before < 0 || before > count_) before = count_;
    try {
        reserveFor(count_ + 1);
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    // The slot at count_ is spare and zero; shifting into it keeps the array's size.
    std::move_backward(cells_.begin() + before, cells_.begin() + count_,
                       cells_.begin() + count_ + 1);
    cells_[size_t(before)] = entry;
    ++count_;
    modified_ = true;
    return true;
}

bool CPalette::remove(int32_t index)
{
    if (index < 0 || index >= count_) return false;
    std::move(cells_.begin() + index + 1, cells_.begin() + count_, cells_.begin() + index);
    --count_;
    cells_[size_t(count_)] = TPalEntry{};
    modified_ = true;
    return true;
}

bool CPalette::move(int32_t from, int32_t to)
{
    if (from < 0 || from >= count_ || count_ == 0) return false;
    to = std::clamp(to, 0, count_ - 1);
    if (from == to) return false;
    auto first = cells_.begin();
    if (from < to)
        std::rotate(first + from, first + from + 1, first + to + 1);
    else
        std::rotate(first + to, first + from, first + from + 1);
    modified_ = true;
    return true;
}

bool CPalette::set(int32_t index, TPalEntry entry)
{
    if (index < 0 || index >= count_ || cells_[size_t(index)] == entry) return false;
    cells_[size_t(index)] = entry;
    modified_ = true;
    return true;
}

int32_t CPalette::removeSource(PalSource source)
{
    const auto end =
        std::remove_if(cells_.begin(), cells_.begin() + count_,
                       [&](const TPalEntry& e) { return e.source == uint8_t(source); });
    const int32_t gone = count_ - int32_t(end - cells_.begin());
    if (gone == 0) return 0;
    count_ -= gone;
    zeroSpare();
    modified_ = true;
    return gone;
}

} // namespace qm
