// A stack of fixed-size elements with a capacity fixed at construction; it never grows.
// A push on a full stack fails and raises the overflow flag (the seed fill relies on it).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace qm {

class CDynStack {
public:
    CDynStack(size_t elementSize, size_t capacity);

    bool push(const void* element);
    bool pop(void* element);
    void reset();

    size_t count() const { return count_; }
    size_t capacity() const { return capacity_; }
    size_t elementSize() const { return elementSize_; }
    bool overflowed() const { return overflow_; }
    bool isEmpty() const { return count_ == 0; }

private:
    size_t elementSize_;
    size_t capacity_;
    size_t count_ = 0;
    bool overflow_ = false;
    std::unique_ptr<uint8_t[]> storage_;
};

} // namespace qm
