// The user palette: an ordered list of colour swatches shown in a grid of `columns` × `rows`
// cells of cellWidth × cellHeight pixels, the file it is kept in, and whether it changed since.
//
// Entry array: grown on demand, and always with room for the entry count plus one row of the
// grid; every slot past the count is zero, so growing never shows stale colours.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace qm {

// Where an entry's colour came from; entries made or edited in the program are Rgb.
enum class PalSource : uint8_t { Rgb = 0, Hsb = 1, Gray = 2, Cmyk = 3 };

// Four bytes in the order the palette files store them.
struct TPalEntry {
    uint8_t blue = 0;
    uint8_t green = 0;
    uint8_t red = 0;
    uint8_t source = 0; // a PalSource value

    // 0x00RRGGBB.
    uint32_t rgb() const { return uint32_t(red) << 16 | uint32_t(green) << 8 | blue; }
    static TPalEntry fromRGB(uint32_t rgb, PalSource from = PalSource::Rgb)
    {
        return {uint8_t(rgb), uint8_t(rgb >> 8), uint8_t(rgb >> 16), uint8_t(from)};
    }
    friend bool operator==(const TPalEntry&, const TPalEntry&) = default;
};

// The grid and cell size. Files may hold any values; clamped() gives what a palette uses.
struct TPalGrid {
    static constexpr int32_t kMinCell = 8, kMaxCell = 64;
    static constexpr int32_t kMinCount = 1, kMaxCount = 64; // columns and rows

    int32_t columns = 18;
    int32_t rows = 6;
    int32_t cellWidth = 10;
    int32_t cellHeight = 10;

    TPalGrid clamped() const;
    friend bool operator==(const TPalGrid&, const TPalGrid&) = default;
};

class CPalette {
  public:
    static constexpr int32_t kDefaultCount = 256;

    // The default palette (see reset()).
    CPalette();

    // 256 colours: 4 blue × 8 green × 8 red levels, red changing fastest, then green; levels
    // i × 255 ÷ 3 for blue and j × 255 ÷ 7 for green and red (integer division). 18 columns,
    // 6 rows, 10 × 10 cells. The path and the modified flag are left alone.
    void reset();

    int32_t count() const { return count_; }
    std::span<const TPalEntry> entries() const { return {cells_.data(), size_t(count_)}; }
    const TPalEntry& entry(int32_t i) const { return cells_[size_t(i)]; }
    // The slots the array holds (count + spare), all past the count zero.
    std::span<const TPalEntry> cells() const { return cells_; }
    const TPalGrid& grid() const { return grid_; }

    // The first entry whose colour is 0x00RRGGBB `rgb` (sources ignored); −1 when none.
    int32_t find(uint32_t rgb) const;

    // Replaces entries and grid (the grid clamped). False, with nothing changed, when memory
    // runs out. Does not touch the modified flag: a load is not an edit.
    bool replace(std::span<const TPalEntry> entries, const TPalGrid& grid);
    void setGrid(const TPalGrid& grid);

    // ---- edits from the window; each sets the modified flag when it changes anything ----
    // Inserts before entry `before` (0 … count; out of range appends). False when memory runs
    // out (the palette stays as it was).
    bool insert(int32_t before, TPalEntry entry);
    bool remove(int32_t index);
    // Takes entry `from` out and puts it back so that it ends up at index `to` (both clamped
    // into range); false when either is not an entry or nothing moves.
    bool move(int32_t from, int32_t to);
    bool set(int32_t index, TPalEntry entry);
    // Removes every entry of the given source, keeping the order of the rest; the number gone.
    int32_t removeSource(PalSource source);

    const std::string& path() const { return path_; }
    void setPath(std::string path) { path_ = std::move(path); }
    bool modified() const { return modified_; }
    void setModified(bool modified) { modified_ = modified; }

  private:
    // Makes room for `count` entries plus one row; new slots are zero. Throws on no memory.
    void reserveFor(int32_t count);
    void zeroSpare();

    std::vector<TPalEntry> cells_;
    int32_t count_ = 0;
    TPalGrid grid_;
    std::string path_;
    bool modified_ = false;
};

} // namespace qm
