// Finds the font file for a family name through fontconfig, as the desktop would: an unknown
// family falls back to the closest installed face rather than failing.
#pragma once

#include <optional>
#include <string>

namespace qm {

// Whether the face is italic or bold is read from the face itself: fontconfig reports a
// slant or weight it means to synthesize as if the face had it.
struct TFontFile {
    std::string path;
    int index = 0; // face index inside the file
};

// Makes fonts installed or removed since the last look visible to the lookups.
void refreshInstalledFonts();

// The best scalable face for the family, weight and slant; nothing when fontconfig has none.
// With `character` non-zero, the best such face that has a glyph for it (a face to fall back
// on when the family lacks the character).
std::optional<TFontFile> findFontFile(const std::string& family, bool bold, bool italic,
                                      char32_t character = 0);

} // namespace qm
