#include "events/event_format.h"

namespace qm {

namespace {

constexpr int64_t kUnknown = -1;

// A head of `head` bytes whose little-endian field of `width` bytes at `at` gives the length
// of what follows it, times `unit`.
int64_t headPlusField(const PayloadReader& read, uint32_t head, uint32_t at, uint32_t width,
                      int64_t unit = 1)
{
    // The whole head must be there, not only its length field.
    uint8_t b[4] = {0, 0, 0, 0}, last = 0;
    if (!read(at, b, width) || !read(head - 1, &last, 1))
        return kUnknown;
    uint64_t field = 0;
    for (uint32_t i = 0; i < width; ++i)
        field |= uint64_t(b[i]) << (8 * i);
    return int64_t(head) + int64_t(field) * unit;
}

int64_t stateLength(uint8_t sub, const PayloadReader& read)
{
    switch (sub) {
    case 0: return 12;
    case 2: case 3: return 4;
    case 4: return 16;
    case 5: return 12;
    case 8: return 4;
    case 12: case 13: return 2;
    case 16: case 17: return 8;
    case 18: return 22;
    case 32: return 68;
    case 33: return headPlusField(read, 2, 0, 2);
    case 36: return headPlusField(read, 160, 156, 4);
    case 37: return 20;
    case 40: return headPlusField(read, 12, 6, 2);
    case 128: case 129: return headPlusField(read, 22, 12, 4);
    case 136: return headPlusField(read, 4, 0, 4);
    default: return kUnknown;
    }
}

int64_t paperLength(uint8_t sub, const PayloadReader& read)
{
    (void)read;
    switch (sub) {
    case 0: return 16;
    case 1: return 4;
    case 2: case 3: case 9: return 10;
    case 4: case 5: case 7: return 0;
    case 6: return 18;
    case 8: return 28;
    case 16: case 17: case 18: case 19: return 0;
    case 24: case 25: case 26: return 4;
    case 254: case 255: return 0;
    default: return kUnknown;
    }
}

int64_t layerLength(uint8_t sub, const PayloadReader& read)
{
    switch (sub) {
    case 0: return 14;
    case 1: case 2: case 3: case 4: case 5: case 8: case 9: return 4;
    case 6: case 7: case 10: return 12;
    case 11: return headPlusField(read, 42, 40, 2);
    case 12: case 13: return 20;
    case 16: case 17: case 18: case 20: return 6;
    case 19: return headPlusField(read, 4, 2, 2);
    case 21: return 18;
    case 24: case 25: return 4;
    case 32: case 33: case 34: case 35: case 36: case 37: return 4;
    case 38: case 39: return 12;
    default: return kUnknown;
    }
}

int64_t selectionLength(uint8_t sub, const PayloadReader& read)
{
    switch (sub) {
    case 0: case 1: case 2: case 3: case 4: case 5: case 6: case 11: case 20: case 21: return 4;
    case 12: return headPlusField(read, 4, 2, 2);
    case 15: case 19: case 23: return kUnknown;
    case 16: case 17: return 22;
    case 18: return headPlusField(read, 8, 6, 2, 8);
    default: return sub >= 27 ? kUnknown : 12;
    }
}

int64_t filterLength(uint8_t category, uint8_t sub, const PayloadReader& read)
{
    switch (category) {
    case 32:
        return (sub == 0 || sub == 1 || sub == 8 || sub == 9 || sub == 20) ? 4 : kUnknown;
    case 33:
        switch (sub) {
        case 2: case 10: case 18: case 21: case 22: case 23: case 32: case 34: return 12;
        default: return kUnknown;
        }
    case 34:
        switch (sub) {
        case 3: case 17: case 19: case 33: case 36: return 20;
        default: return kUnknown;
        }
    case 35:
        switch (sub) {
        case 16: case 35: case 37: case 38: return 28;
        default: return kUnknown;
        }
    case 38: return (sub == 39 || sub == 40) ? headPlusField(read, 50, 4, 2) : kUnknown;
    default: return kUnknown;
    }
}

} // namespace

int64_t payloadLength(uint8_t category, uint8_t sub, const PayloadReader& read)
{
    switch (category) {
    case 0: return stateLength(sub, read);
    case 1: return headPlusField(read, 4, 0, 4);
    case 2: return paperLength(sub, read);
    case 4: return layerLength(sub, read);
    case 6:
        if (sub <= 3 || sub == 5)
            return 22;
        return sub == 4 ? headPlusField(read, 4, 2, 2, 8) : kUnknown;
    case 10: return selectionLength(sub, read);
    case 12: return (sub == 1 || sub == 2) ? headPlusField(read, 22, 12, 4) : kUnknown;
    case 13:
        switch (sub) {
        case 0: case 1: case 16: case 17: case 32: return headPlusField(read, 54, 42, 4);
        case 2: case 3: return headPlusField(read, 72, 60, 4);
        default: return kUnknown;
        }
    case 16: case 20: case 21: case 22: case 23: case 24: return sub == 0 ? 4 : kUnknown;
    case 17: case 18: return int64_t(sub) * 12; // replay refuses 0 and more than 16
    case 32: case 33: case 34: case 35: case 38: return filterLength(category, sub, read);
    default: return kUnknown;
    }
}

} // namespace qm
