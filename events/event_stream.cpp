#include "events/event_stream.h"

#include <algorithm>
#include <cstring>

namespace qm {

uint32_t CMemSeg::write(uint32_t offset, const uint8_t* data, uint32_t count)
{
    if (offset >= size())
        return 0;
    const uint32_t n = std::min(count, size() - offset);
    std::memcpy(bytes_.data() + offset, data, n);
    return n;
}

uint32_t CMemSeg::read(uint32_t offset, uint8_t* out, uint32_t count) const
{
    if (offset >= size())
        return 0;
    const uint32_t n = std::min(count, size() - offset);
    std::memcpy(out, bytes_.data() + offset, n);
    return n;
}

TEventStream::TEventStream(uint32_t segmentSize) : segmentSize_(std::max(segmentSize, 16u))
{
    clear();
}

void TEventStream::clear()
{
    segments_.clear();
    segments_.push_back(std::make_unique<CMemSeg>(segmentSize_));
    writeEnd_ = retainedEnd_ = 0;
}

bool TEventStream::ensureCapacity(uint32_t end)
{
    while (capacity() < end)
        segments_.push_back(std::make_unique<CMemSeg>(segmentSize_));
    return true;
}

bool TEventStream::writeAt(uint32_t offset, std::span<const uint8_t> bytes)
{
    if (bytes.size() > kMaxLength || offset > kMaxLength - bytes.size())
        return false;
    const uint32_t end = offset + uint32_t(bytes.size());
    ensureCapacity(end);
    uint32_t done = 0;
    while (done < bytes.size()) {
        const uint32_t at = offset + done;
        done += segments_[at / segmentSize_]->write(at % segmentSize_, bytes.data() + done,
                                                    uint32_t(bytes.size()) - done);
    }
    return true;
}

bool TEventStream::append(std::span<const uint8_t> bytes)
{
    if (!writeAt(writeEnd_, bytes))
        return false;
    writeEnd_ += uint32_t(bytes.size());
    retainedEnd_ = writeEnd_;
    return true;
}

bool TEventStream::read(uint32_t offset, uint8_t* out, uint32_t count) const
{
    if (offset > writeEnd_ || count > writeEnd_ - offset)
        return false;
    uint32_t done = 0;
    while (done < count) {
        const uint32_t at = offset + done;
        done += segments_[at / segmentSize_]->read(at % segmentSize_, out + done, count - done);
    }
    return true;
}

std::vector<uint8_t> TEventStream::copy(uint32_t offset, uint32_t count) const
{
    std::vector<uint8_t> out(count);
    if (!read(offset, out.data(), count))
        out.clear();
    return out;
}

bool TEventStream::setWriteEnd(uint32_t end)
{
    if (end > retainedEnd_)
        return false;
    writeEnd_ = end;
    return true;
}

void TEventStream::truncateSegments()
{
    const size_t keep = std::max<size_t>(1, (size_t(writeEnd_) + segmentSize_ - 1) / segmentSize_);
    if (segments_.size() > keep)
        segments_.resize(keep);
    retainedEnd_ = writeEnd_;
}

} // namespace qm
