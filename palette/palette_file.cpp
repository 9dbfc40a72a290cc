// Palette files of every kind; see palette_file.h.
#include "palette/palette_file.h"

#include "core/safe_file.h"
#include "files/picture.h" // readWholeFile
#include "palette/aco_file.h"
#include "palette/colour_set_text.h"
#include "palette/qpl_file.h"

#include <filesystem>
#include <new>
#include <stdexcept>

namespace qm {

TPalRead readPaletteBytes(std::span<const uint8_t> bytes, PalKind kind)
{
    switch (kind) {
    case PalKind::Own:
        return readQplBytes(bytes);
    case PalKind::TextCR:
    case PalKind::TextCRLF:
        return readColourSetText(bytes);
    case PalKind::Swatches:
        return readAcoBytes(bytes);
    case PalKind::Unknown:
        break;
    }
    return {};
}

TPalRead readPaletteFile(const std::string& path)
{
    const PalKind kind = palKindOf(path);
    std::error_code error;
    if (kind == PalKind::Unknown || !std::filesystem::is_regular_file(path, error)) return {};
    try {
        std::vector<uint8_t> bytes;
        if (!readWholeFile(path, bytes)) return {};
        return readPaletteBytes(bytes, kind);
    } catch (const std::bad_alloc&) {
        return {};
    } catch (const std::length_error&) {
        return {};
    }
}

std::vector<uint8_t> paletteFileBytes(const CPalette& palette, PalKind kind)
{
    switch (kind) {
    case PalKind::Own:
        return writeQplBytes(palette);
    case PalKind::TextCR:
    case PalKind::TextCRLF: {
        const std::string text = writeColourSetText(palette, kind == PalKind::TextCRLF);
        return {text.begin(), text.end()};
    }
    case PalKind::Swatches:
        return writeAcoBytes(palette);
    case PalKind::Unknown:
        break;
    }
    return {};
}

bool savePaletteFile(const std::string& path, const CPalette& palette)
{
    const PalKind kind = palKindOf(path);
    if (kind == PalKind::Unknown) return false;
    try {
        return saveFileReplacing(path, paletteFileBytes(palette, kind));
    } catch (const std::bad_alloc&) {
        return false;
    }
}

} // namespace qm
