// The fixed-item ring buffer; see ring_buf.h.
#include "events/ring_buf.h"

#include "core/byte_io.h"

#include <algorithm>
#include <limits>
#include <new>

namespace qm {

bool CRingBuf::allocate(size_t itemSize, int32_t backCapacity, int32_t forwardCapacity)
{
    if (itemSize == 0 || backCapacity < 1 || forwardCapacity < 1)
        return false;
    const size_t slots = size_t(backCapacity) + size_t(forwardCapacity);
    if (slots > std::numeric_limits<size_t>::max() / itemSize)
        return false;
    std::vector<uint8_t> buffer;
    try {
        buffer.assign(slots * itemSize, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    buffer_ = std::move(buffer);
    itemSize_ = itemSize;
    backCapacity_ = backCapacity;
    forwardCapacity_ = forwardCapacity;
    reset();
    return true;
}

bool CRingBuf::resize(int32_t backCapacity, int32_t forwardCapacity)
{
    if (!valid() || backCapacity < 1 || forwardCapacity < 1)
        return false;
    if (backCapacity == backCapacity_ && forwardCapacity == forwardCapacity_)
        return true;
    const size_t slots = size_t(backCapacity) + size_t(forwardCapacity);
    if (slots > std::numeric_limits<size_t>::max() / itemSize_)
        return false;
    std::vector<uint8_t> buffer;
    try {
        buffer.assign(slots * itemSize_, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    const int32_t keepBack = std::min(backCount_, backCapacity);
    const int32_t keepForward = std::min(forwardCount_, forwardCapacity);
    // The kept items start at the first slot: the oldest kept one there, the cursor on the
    // newest, the items ahead right after it.
    const size_t cursor = keepBack > 0 ? size_t(keepBack - 1) : 0;
    // (With nothing behind, the loop starts at the first item ahead.)
    for (int32_t k = 1 - keepBack; k <= keepForward; ++k)
        std::copy_n(slotBytes(slotAt(k)), itemSize_,
                    buffer.data() + size_t(int64_t(cursor) + k) * itemSize_);
    buffer_ = std::move(buffer);
    backCapacity_ = backCapacity;
    forwardCapacity_ = forwardCapacity;
    cursor_ = cursor;
    backCount_ = keepBack;
    forwardCount_ = keepForward;
    return true;
}

void CRingBuf::reset()
{
    cursor_ = 0;
    backCount_ = 0;
    forwardCount_ = 0;
}

size_t CRingBuf::slotAt(int64_t delta) const
{
    const auto slots = int64_t(slotCount());
    int64_t slot = (int64_t(cursor_) + delta) % slots;
    if (slot < 0)
        slot += slots;
    return size_t(slot);
}

bool CRingBuf::putCurrent(std::span<const uint8_t> item)
{
    if (!valid() || item.size() != itemSize_)
        return false;
    std::copy(item.begin(), item.end(), slotBytes(cursor_));
    backCount_ = std::max(backCount_, 1);
    return true;
}

bool CRingBuf::push(std::span<const uint8_t> item)
{
    if (!valid() || item.size() != itemSize_)
        return false;
    cursor_ = slotAt(1);
    std::copy(item.begin(), item.end(), slotBytes(cursor_));
    backCount_ = std::min(backCount_ + 1, backCapacity_);
    forwardCount_ = 0;
    return true;
}

bool CRingBuf::dropLast()
{
    if (!valid() || backCount_ == 0)
        return false;
    cursor_ = slotAt(-1);
    --backCount_;
    forwardCount_ = 0;
    return true;
}

bool CRingBuf::stepBack()
{
    if (!valid() || backCount_ == 0)
        return false;
    cursor_ = slotAt(-1);
    --backCount_;
    ++forwardCount_;
    return true;
}

bool CRingBuf::stepForward()
{
    if (!valid() || forwardCount_ == 0)
        return false;
    cursor_ = slotAt(1);
    backCount_ = std::min(backCount_ + 1, backCapacity_);
    --forwardCount_;
    return true;
}

bool CRingBuf::readCurrent(std::span<uint8_t> item) const
{
    if (!valid() || backCount_ == 0 || item.size() != itemSize_)
        return false;
    std::copy_n(slotBytes(cursor_), itemSize_, item.data());
    return true;
}

bool CRingBuf::readRelative(int32_t k, std::span<uint8_t> item) const
{
    if (!valid() || item.size() != itemSize_)
        return false;
    const bool inRange = k < 0 ? int64_t(-int64_t(k)) <= int64_t(backCount_) - 1
                               : k > 0 && k <= forwardCount_;
    if (!inRange)
        return false;
    std::copy_n(slotBytes(slotAt(k)), itemSize_, item.data());
    return true;
}

int32_t CRingBuf::takeForwardCount()
{
    const int32_t count = forwardCount_;
    forwardCount_ = 0;
    return count;
}

namespace {

std::vector<uint8_t> itemOf(uint32_t value)
{
    ByteWriter out;
    out.u32(value);
    return std::move(out.data());
}

uint32_t valueOf(const uint8_t (&item)[4])
{
    ByteReader in(item, sizeof item);
    return in.u32();
}

} // namespace

bool CRingBufDWORD::putCurrent(uint32_t value)
{
    return CRingBuf::putCurrent(itemOf(value));
}

bool CRingBufDWORD::push(uint32_t value)
{
    return CRingBuf::push(itemOf(value));
}

bool CRingBufDWORD::readCurrent(uint32_t& value) const
{
    uint8_t item[4];
    if (!CRingBuf::readCurrent(item))
        return false;
    value = valueOf(item);
    return true;
}

bool CRingBufDWORD::readRelative(int32_t k, uint32_t& value) const
{
    uint8_t item[4];
    if (!CRingBuf::readRelative(k, item))
        return false;
    value = valueOf(item);
    return true;
}

} // namespace qm
