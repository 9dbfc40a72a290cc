#include "files/psd_packbits.h"

#include <algorithm>

namespace qm {

void packBitsEncode(std::span<const uint8_t> row, std::vector<uint8_t>& out)
{
    const size_t n = row.size();
    const auto runAt = [&](size_t i) {
        size_t run = 1;
        while (i + run < n && run < 128 && row[i + run] == row[i])
            ++run;
        return run;
    };
    size_t i = 0;
    while (i < n) {
        const size_t run = runAt(i);
        if (run >= 3) {
            out.push_back(uint8_t(257 - run)); // 1 − run as a signed byte
            out.push_back(row[i]);
            i += run;
            continue;
        }
        // A literal stretch up to the next run of three or more (runs of two are cheaper
        // inside a literal than as a run of their own).
        const size_t start = i;
        while (i < n && i - start < 128 && runAt(i) < 3)
            ++i;
        out.push_back(uint8_t(i - start - 1));
        out.insert(out.end(), row.begin() + std::ptrdiff_t(start), row.begin() + std::ptrdiff_t(i));
    }
}

bool packBitsDecode(std::span<const uint8_t> coded, std::span<uint8_t> out)
{
    size_t in = 0, at = 0;
    while (in < coded.size()) {
        const int8_t header = int8_t(coded[in++]);
        if (header >= 0) {
            const size_t count = size_t(header) + 1;
            if (count > coded.size() - in || count > out.size() - at)
                return false;
            std::copy_n(coded.begin() + std::ptrdiff_t(in), count, out.begin() + std::ptrdiff_t(at));
            in += count;
            at += count;
        } else if (header != -128) {
            const size_t count = size_t(1 - header);
            if (in >= coded.size() || count > out.size() - at)
                return false;
            std::fill_n(out.begin() + std::ptrdiff_t(at), count, coded[in++]);
            at += count;
        }
    }
    return at == out.size();
}

} // namespace qm
