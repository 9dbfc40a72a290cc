// A circular store of fixed-size items with a cursor: the event manager keeps in it where each
// recorded event begins, so undo can step back and redo forward without searching the stream.
//
// The ring holds (back capacity + forward capacity) slots. The cursor names the current item;
// the back count is the number of items at and behind it, the forward count the number ahead
// of it (items that a step forward brings back). Pushing always discards what lies ahead and,
// once the back count reaches its capacity, forgets the oldest item.
//
// Every operation on a ring without a buffer, or out of range, returns false and changes
// nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace qm {

class CRingBuf {
public:
    // An empty ring of items of this size; it has no buffer until allocate.
    explicit CRingBuf(size_t itemSize = 4) : itemSize_(itemSize) {}

    // Drops any old buffer and makes room for back + forward items; the cursor goes to the
    // first slot and both counts to 0. False (and nothing changed) when the item size is 0 or
    // either capacity is below 1.
    bool allocate(size_t itemSize, int32_t backCapacity, int32_t forwardCapacity);
    // Moves to a buffer of the new capacities keeping, in order, the newest
    // min(back count, back) items behind and the nearest min(forward count, forward) ahead.
    // Unchanged capacities do nothing (true). False when there is no buffer or a capacity is
    // below 1.
    bool resize(int32_t backCapacity, int32_t forwardCapacity);
    // Cursor to the first slot, both counts 0; the buffer stays.
    void reset();
    bool valid() const { return !buffer_.empty() && backCapacity_ > 0; }

    // Overwrites the item at the cursor; the back count becomes at least 1.
    bool putCurrent(std::span<const uint8_t> item);
    // Advances the cursor (wrapping), writes the item there and discards everything ahead.
    bool push(std::span<const uint8_t> item);
    // Forgets the current item: cursor one slot back, everything ahead discarded.
    bool dropLast();
    // Moves the cursor one item back (it becomes an item ahead) or forward.
    bool stepBack();
    // Stepping forward past the back capacity forgets the oldest item behind, as push does.
    bool stepForward();

    // The item at the cursor; needs a back count of at least 1.
    bool readCurrent(std::span<uint8_t> item) const;
    // k < 0: the item −k slots behind the cursor (1 ≤ −k ≤ back count − 1);
    // k > 0: the item k slots ahead (1 ≤ k ≤ forward count). Any other k fails.
    bool readRelative(int32_t k, std::span<uint8_t> item) const;

    // The forward count, which becomes 0 (the items ahead are dropped).
    int32_t takeForwardCount();

    size_t itemSize() const { return itemSize_; }
    int32_t backCapacity() const { return backCapacity_; }
    int32_t forwardCapacity() const { return forwardCapacity_; }
    int32_t backCount() const { return backCount_; }
    int32_t forwardCount() const { return forwardCount_; }

private:
    size_t slotCount() const { return size_t(backCapacity_) + size_t(forwardCapacity_); }
    // The slot `delta` slots from the cursor, wrapping both ways.
    size_t slotAt(int64_t delta) const;
    uint8_t* slotBytes(size_t slot) { return buffer_.data() + slot * itemSize_; }
    const uint8_t* slotBytes(size_t slot) const { return buffer_.data() + slot * itemSize_; }

    size_t itemSize_;
    int32_t backCapacity_ = 0;
    int32_t forwardCapacity_ = 0;
    std::vector<uint8_t> buffer_;
    size_t cursor_ = 0; // slot index of the current item
    int32_t backCount_ = 0;
    int32_t forwardCount_ = 0;
};

// A ring of 32-bit values (stored little-endian, four bytes an item).
class CRingBufDWORD : public CRingBuf {
public:
    CRingBufDWORD() : CRingBuf(4) {}

    bool allocate(int32_t backCapacity, int32_t forwardCapacity)
    {
        return CRingBuf::allocate(4, backCapacity, forwardCapacity);
    }
    bool putCurrent(uint32_t value);
    bool push(uint32_t value);
    bool readCurrent(uint32_t& value) const;
    bool readRelative(int32_t k, uint32_t& value) const;
};

} // namespace qm
