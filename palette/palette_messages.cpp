// The palette's texts; see palette_messages.h.
#include "palette/palette_messages.h"

namespace qm {

std::string TPalMessage::text() const
{
    std::string out;
    size_t next = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size() &&
            (format[i + 1] == 'd' || format[i + 1] == 's')) {
            if (next < fields.size()) out += fields[next++];
            ++i;
            continue;
        }
        out += format[i];
    }
    return out;
}

} // namespace qm
