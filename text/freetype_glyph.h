// The glyph source on top of FreeType, the face found through fontconfig.
//
// The face is set to the font's pixel height (the em, as lfHeight of its LOGFONT says) and
// read with hinting and without embedded bitmaps, so every size is anti-aliased alike. An
// italic font whose family has no italic face gets its upright outlines slanted by about 12°.
// A bold font takes the family's bold face when there is one; the rasteriser's thickening comes
// on top of it, as it does for every bold font.
//
// Vertical text: the face's vertical advances and bearings are used (synthesized from the
// ascender and descender when it has none), the column centred between the ascender and the
// descender; upright characters take the face's vertical forms when it has them.
//
// A character the face does not map is taken from the face fontconfig offers for it (with the
// same size, weight and slant), as the desktop falls back for missing characters; when no
// installed face has it, and for control characters, there is no glyph: the character is left
// out instead of showing a placeholder box in the picture. Line metrics are always the first
// face's.
//
// One source is used from one thread at a time (the text tool's, on the user-interface thread).
#pragma once

#include "text/font_glyph.h"
#include "text/font_record.h"
#include "text/vertical_forms.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

struct FT_LibraryRec_;
struct FT_FaceRec_;

namespace qm {

// Larger ems would make single glyphs of many megabytes; no paper needs them.
inline constexpr int32_t kMaxTextPixelHeight = 2048;

class CFreeTypeGlyph final : public CFontGlyph {
  public:
    // Null when no face can be found or loaded, or the size is not 1 … kMaxTextPixelHeight.
    static std::unique_ptr<CFreeTypeGlyph> open(const TFontRecord& font);
    ~CFreeTypeGlyph() override;
    CFreeTypeGlyph(const CFreeTypeGlyph&) = delete;
    CFreeTypeGlyph& operator=(const CFreeTypeGlyph&) = delete;

    bool vertical() const override { return vertical_; }
    bool textMetrics(TTextMetrics& metrics) override;
    // The pointer stays valid until the next call (the cache may be emptied to bound memory).
    const TGlyphBitmap* glyph(char32_t character) override;

    // The first face's file, whether it is slanted here, whether it has vertical forms.
    const std::string& fontFile() const { return faces_.front().file; }
    bool slanted() const { return faces_.front().slanted; }
    bool hasVerticalForms() const { return !faces_.front().forms.empty(); }
    // How many faces have been opened to fall back on.
    size_t fallbackCount() const { return faces_.size() - 1; }

  private:
    struct TFace {
        FT_FaceRec_* face = nullptr;
        std::string file;
        int index = 0;
        bool slanted = false;
        CVerticalForms forms;
    };

    CFreeTypeGlyph() = default;
    // Opens a face at the source's size; false (nothing added) when it cannot be used.
    bool addFace(const std::string& file, int index);
    // The face that maps the character and its glyph index; null when none does.
    TFace* faceFor(char32_t character, uint32_t& glyphIndex);
    std::optional<TGlyphBitmap> render(char32_t character);

    FT_LibraryRec_* library_ = nullptr;
    std::vector<TFace> faces_; // the font's own face first, then the fallbacks opened so far
    TFontRecord font_;
    int32_t pixels_ = 0;
    bool vertical_ = false;
    TTextMetrics metrics_;
    int64_t ascender_ = 0;  // 26.6 pixels, above the baseline
    int64_t descender_ = 0; // 26.6 pixels, negative below the baseline
    std::unordered_map<char32_t, std::optional<TGlyphBitmap>> cache_;
    size_t cachedBytes_ = 0;
};

} // namespace qm
