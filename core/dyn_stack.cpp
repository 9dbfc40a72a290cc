#include "core/dyn_stack.h"

#include <cstring>
#include <new>

namespace qm {

CDynStack::CDynStack(size_t elementSize, size_t capacity)
    : elementSize_(elementSize), capacity_(capacity)
{
    // One block for all elements; an impossible size leaves a stack that holds nothing.
    if (elementSize_ == 0 || capacity_ > SIZE_MAX / elementSize_)
        capacity_ = 0;
    storage_.reset(new (std::nothrow) uint8_t[elementSize_ * capacity_ + 1]);
    if (!storage_)
        capacity_ = 0;
}

bool CDynStack::push(const void* element)
{
    if (count_ >= capacity_) {
        overflow_ = true;
        return false;
    }
    std::memcpy(storage_.get() + count_ * elementSize_, element, elementSize_);
    ++count_;
    return true;
}

bool CDynStack::pop(void* element)
{
    if (count_ == 0)
        return false;
    --count_;
    std::memcpy(element, storage_.get() + count_ * elementSize_, elementSize_);
    return true;
}

void CDynStack::reset()
{
    count_ = 0;
    overflow_ = false;
}

} // namespace qm
