// Loading, saving and keeping the palette's file; see palette_load.h.
#include "palette/palette_load.h"

#include "core/safe_file.h"
#include "files/picture.h" // readWholeFile
#include "palette/palette_file.h"
#include "palette/palette_kind.h"
#include "palette/qpl_file.h"

#include <algorithm>
#include <filesystem>
#include <new>

namespace qm {

namespace {

constexpr const char* kDefaultFileName = "default.qpl";
constexpr int kMaxNameNumber = 999;

bool exists(const std::string& path)
{
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

// Whether the file at `path` holds exactly `bytes`.
bool holds(const std::string& path, std::span<const uint8_t> bytes)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error) ||
        std::filesystem::file_size(path, error) != bytes.size() || error)
        return false;
    std::vector<uint8_t> held;
    return readWholeFile(path, held) &&
           std::equal(held.begin(), held.end(), bytes.begin(), bytes.end());
}

std::string withoutExtension(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash) ||
        dot == (slash == std::string::npos ? 0 : slash + 1))
        return path;
    return path.substr(0, dot);
}

TPalMessage message(const char* format)
{
    return {format, {}};
}

// Writes the palette as an own-format file at a free name based on `base`; the name, or empty
// (with the save failure told) when it cannot be written.
std::string writeOwnCopy(const CPalette& palette, const std::string& base, bool& wrote,
                         std::vector<TPalMessage>& messages)
{
    wrote = false;
    const std::vector<uint8_t> bytes = writeQplBytes(palette);
    const std::string name = freeOwnFileName(base, bytes);
    if (name.empty()) {
        messages.push_back(message(kPalSaveFailedMessage));
        return {};
    }
    if (holds(name, bytes)) return name;
    if (!saveFileReplacing(name, bytes)) {
        messages.push_back(message(kPalSaveFailedMessage));
        return {};
    }
    wrote = true;
    return name;
}

} // namespace

std::string freeOwnFileName(const std::string& base, std::span<const uint8_t> bytes)
{
    for (int n = 1; n <= kMaxNameNumber; ++n) {
        const std::string name = n == 1 ? base + ".qpl" : base + " (" + std::to_string(n) + ").qpl";
        if (!exists(name) || holds(name, bytes)) return name;
    }
    return {};
}

TPalLoad loadPaletteInWindow(CPalette& palette, const std::string& path,
                             const TPalQuestion& askDiscardCmyk)
{
    TPalLoad load;
    const PalKind kind = palKindOf(path);
    if (kind == PalKind::Unknown) {
        load.messages.push_back(message(kPalUnknownKindMessage));
        return load;
    }
    TPalRead read = readPaletteFile(path);
    load.result = read.result;
    for (const std::string& warning : read.warnings)
        load.messages.push_back({warning, {}});
    if (read.result < 0) {
        load.messages.push_back(message(kPalLoadFailedMessage));
        return load;
    }
    if (read.result == 0) {
        load.messages.push_back(message(kPalUnusableMessage));
        return load;
    }
    if (const int64_t missing = read.missing(); missing > 0)
        load.messages.push_back({kPalMissingMessage, {std::to_string(missing), kPalWord}});

    if (kind == PalKind::Swatches && read.cmykCount > 0 && askDiscardCmyk &&
        askDiscardCmyk(
            {kPalCmykQuestion, {std::to_string(read.result), std::to_string(read.cmykCount)}})) {
        const auto end =
            std::remove_if(read.entries.begin(), read.entries.end(),
                           [](const TPalEntry& e) { return e.source == uint8_t(PalSource::Cmyk); });
        load.discarded = int32_t(read.entries.end() - end);
        read.entries.erase(end, read.entries.end());
        if (read.entries.empty()) {
            // Nothing but CMYK swatches: an empty palette is of no use, keep the old one.
            load.messages.push_back(message(kPalUnusableMessage));
            return load;
        }
    }

    if (!palette.replace(read.entries, read.hasGrid ? read.grid : palette.grid())) {
        load.messages.push_back(message(kPalLoadNoMemoryMessage));
        return load;
    }
    load.replaced = true;
    palette.setModified(false);
    if (kind == PalKind::Own) {
        load.ownFile = path;
    } else {
        load.ownFile =
            writeOwnCopy(palette, withoutExtension(path), load.wroteOwnFile, load.messages);
        // Without its own file the palette is still to be kept somewhere.
        palette.setModified(load.ownFile.empty());
    }
    palette.setPath(load.ownFile.empty() ? path : load.ownFile);
    return load;
}

TPalSave savePaletteFromWindow(CPalette& palette, const std::string& path)
{
    TPalSave save;
    const PalKind kind = palKindOf(path);
    if (kind == PalKind::Unknown) {
        save.messages.push_back(message(kPalBadExtensionMessage));
        return save;
    }
    if (!savePaletteFile(path, palette)) {
        save.messages.push_back(message(kPalSaveFailedMessage));
        return save;
    }
    save.saved = true;
    palette.setModified(false);
    if (kind == PalKind::Own) palette.setPath(path);
    return save;
}

TPalStartup startPalette(CPalette& palette, const std::string& palFile,
                         const std::string& programFolder, const TPalQuestion& askDiscardCmyk)
{
    TPalStartup start;
    const auto take = [&](TPalLoad&& load) {
        start.messages.insert(start.messages.end(), load.messages.begin(), load.messages.end());
        start.load = std::move(load);
    };
    std::error_code error;
    if (!palFile.empty() && std::filesystem::is_regular_file(palFile, error)) {
        take(loadPaletteInWindow(palette, palFile, askDiscardCmyk));
        if (start.load.replaced) {
            start.palFile = start.load.ownFile.empty() ? palFile : start.load.ownFile;
            return start;
        }
    }
    const std::string base = (std::filesystem::path(programFolder.empty() ? "." : programFolder) /
                              std::filesystem::path(kDefaultFileName).stem())
                                 .string();
    const std::string defaultFile = base + ".qpl";
    if (defaultFile != palFile && std::filesystem::is_regular_file(defaultFile, error)) {
        take(loadPaletteInWindow(palette, defaultFile, askDiscardCmyk));
        if (start.load.replaced) {
            start.palFile = start.load.ownFile;
            return start;
        }
    }
    palette.reset();
    palette.setModified(false);
    start.palFile = writeOwnCopy(palette, base, start.wroteDefault, start.messages);
    palette.setPath(start.palFile);
    palette.setModified(start.palFile.empty());
    return start;
}

TPalSave savePaletteAtExit(CPalette& palette, const std::string& palFile)
{
    TPalSave save;
    if (palFile.empty() || palKindOf(palFile) != PalKind::Own) return save;
    if (holds(palFile, writeQplBytes(palette))) {
        palette.setModified(false);
        save.saved = true;
        return save;
    }
    return savePaletteFromWindow(palette, palFile);
}

} // namespace qm
