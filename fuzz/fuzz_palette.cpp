// Feeds arbitrary bytes to every palette reader, and what they read to a palette and back out
// through every writer.
#include "palette/palette.h"
#include "palette/palette_file.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    for (const qm::PalKind kind : {qm::PalKind::Own, qm::PalKind::TextCR, qm::PalKind::Swatches}) {
        qm::TPalRead read = qm::readPaletteBytes({data, size}, kind);
        if (read.result < 0) continue;
        if (read.result != int32_t(read.entries.size()) || read.missing() < 0) __builtin_trap();
        qm::CPalette palette;
        if (read.result > 0 && palette.replace(read.entries, read.grid)) {
            palette.move(0, palette.count() - 1);
            palette.insert(1, read.entries[0]);
            palette.removeSource(qm::PalSource::Cmyk);
            // What a writer makes, its reader reads back whole.
            for (const qm::PalKind out :
                 {qm::PalKind::Own, qm::PalKind::TextCRLF, qm::PalKind::Swatches}) {
                const qm::TPalRead again =
                    qm::readPaletteBytes(qm::paletteFileBytes(palette, out), out);
                if (palette.count() > 0 && again.result != palette.count() &&
                    palette.count() <= 65535)
                    __builtin_trap();
            }
        }
    }
    return 0;
}
