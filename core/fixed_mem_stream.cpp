#include "core/fixed_mem_stream.h"

#include <algorithm>
#include <cstring>

namespace qm {

size_t CFixedMemStream::read(void* out, size_t count)
{
    const size_t n = std::min(count, size_ - position_);
    if (n)
        std::memcpy(out, buffer_ + position_, n);
    position_ += n;
    return n;
}

size_t CFixedMemStream::write(const void* data, size_t count)
{
    const size_t n = std::min(count, size_ - position_);
    if (n)
        std::memcpy(buffer_ + position_, data, n);
    position_ += n;
    return n;
}

int64_t CFixedMemStream::seek(int64_t offset, Origin origin)
{
    const int64_t base = origin == Origin::Begin     ? 0
                         : origin == Origin::Current ? int64_t(position_)
                                                     : int64_t(size_);
    const int64_t target = base + offset;
    if (target < 0 || target > int64_t(size_))
        return -1;
    position_ = size_t(target);
    return target;
}

} // namespace qm
