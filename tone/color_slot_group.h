// The colour stops of a gradation. Positions, lengths and parameters are 16.16 fixed point
// (0x10000 = 1.0). Stop colours are 0x00BBGGRR (red in the low byte), with their alpha on top
// when asked for.
#pragma once

#include "core/byte_io.h"
#include "core/dib_core.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qm {

inline constexpr int32_t kFixedOne = 0x10000;
inline constexpr const char* kCannotAddMoreMessage = "これ以上%sを追加できません！";
inline constexpr const char* kColourWord = "色";

// 16.16 quotient a / b: the integer part, then the remainder scaled by 65536.
int32_t fixedQuotient(int64_t a, int64_t b);

// One stop: 24 bytes as stored.
struct TColorStop {
    uint8_t present = 1;
    uint8_t inUse = 1;
    uint8_t hasAlpha = 0;
    uint8_t alpha = 255;
    int32_t number = 0;
    uint32_t colour = 0xFF000000u; // 0x00BBGGRR, top byte written as 255
    int32_t length = kFixedOne;    // to the next stop; a relative weight
    int32_t start = 0;             // computed
    int32_t span = 0;              // computed

    static constexpr size_t kBytes = 24;
    bool counts() const { return present != 0 && inUse != 0; }
    // (alpha << 24) | colour, alpha 255 unless the stop has its own.
    uint32_t withAlpha() const { return uint32_t(hasAlpha ? alpha : 255) << 24 | (colour & 0xFFFFFFu); }
    void write(ByteWriter& out) const;
    bool read(ByteReader& in);
    friend bool operator==(const TColorStop&, const TColorStop&) = default;
};

class CColorSlotGroup {
public:
    static constexpr int32_t kMaxStops = 2729; // never 2730 or more

    std::vector<TColorStop> stops;
    std::string name = "no name";

    int32_t lastIndex() const { return int32_t(stops.size()) - 1; }
    int32_t firstInUse() const { return first_; }
    int32_t lastInUse() const { return last_; }
    int32_t countInUse() const { return inUse_; }
    int32_t total() const { return total_; }

    // Appends a stop (no normalising); false when the list is full.
    bool append(uint32_t colour, int32_t length, bool hasAlpha = false, uint8_t alpha = 255);

    bool Normalize();
    // The colour at t, with alpha: stops i and i + 1 interpolated byte by byte.
    uint32_t ColorAt(int32_t t) const;

    bool InsertStop(int32_t before, int32_t position, bool hasAlpha, uint32_t colour);
    // The editor's insert: before the first stop starting at or after the position, with the
    // colour the gradation has there, so nothing changes to the eye.
    bool InsertStopAt(int32_t position);
    bool RemoveStop(int32_t index);
    bool MoveStop(int32_t index, int32_t position);
    // As MoveStop, kept at least 100 away from the neighbours (dragging).
    bool DragStop(int32_t index, int32_t position);
    bool SetStopColor(int32_t index, uint32_t colour, bool hasAlpha, uint8_t alpha = 255);
    int32_t NearestStop(int32_t position) const;
    bool StopsIn(int32_t from, int32_t to, int32_t& first, int32_t& last) const;
    bool CopyTo(CColorSlotGroup& other) const;
    CColorSlotGroup Compacted() const;
    bool SameAs(const CColorSlotGroup& other) const { return stops == other.stops; }
    // A horizontal strip: column i of w gets ColorAt(i / (w − 1)), in the image's byte order.
    bool RenderStrip(TMTC& image, TBox box) const;

private:
    int32_t first_ = -1, last_ = -1, inUse_ = 0, total_ = 0;
    bool normalised_ = false; // false: ColorAt gives the first stop
};

} // namespace qm
