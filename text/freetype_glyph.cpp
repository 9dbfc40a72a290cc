#include "text/freetype_glyph.h"

#include "text/font_lookup.h"
#include "text/vertical_orientation.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TAGS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <vector>

namespace qm {

namespace {

// tan 12° in 16.16: the slant of a synthesized italic.
constexpr FT_Fixed kItalicShear = 0x366A;
// Cached glyphs are dropped past this, so that a long text at a large size stays bounded.
constexpr size_t kMaxCachedBytes = size_t(64) << 20;
// Faces opened to fall back on, at most: a text rarely needs more than a script or two more.
constexpr size_t kMaxFallbackFaces = 8;

int32_t roundPixels(int64_t v26_6)
{
    return int32_t((v26_6 + 32) >> 6);
}

// FreeType's grey (256 levels) or mono bitmap as levels 0 … 64, rows top first, each padded to
// a multiple of 4. False for other pixel modes.
bool toLevels(const FT_Bitmap& bitmap, std::vector<uint8_t>& levels, int32_t padded)
{
    const int32_t width = int32_t(bitmap.width);
    const int32_t rows = int32_t(bitmap.rows);
    levels.assign(size_t(padded) * size_t(rows), 0);
    for (int32_t y = 0; y < rows; ++y) {
        // A negative pitch means bottom-up rows; the buffer then starts at the bottom row.
        const uint8_t* src = bitmap.pitch >= 0
                                 ? bitmap.buffer + size_t(y) * size_t(bitmap.pitch)
                                 : bitmap.buffer + size_t(rows - 1 - y) * size_t(-bitmap.pitch);
        uint8_t* dst = levels.data() + size_t(y) * size_t(padded);
        if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
            const uint32_t top = bitmap.num_grays > 1 ? bitmap.num_grays - 1 : 255;
            for (int32_t x = 0; x < width; ++x)
                dst[x] = uint8_t((std::min<uint32_t>(src[x], top) * 64 + top / 2) / top);
        } else if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
            for (int32_t x = 0; x < width; ++x)
                dst[x] = (src[x >> 3] >> (7 - (x & 7))) & 1 ? kGlyphLevels : 0;
        } else {
            return false;
        }
    }
    return true;
}

} // namespace

std::unique_ptr<CFreeTypeGlyph> CFreeTypeGlyph::open(const TFontRecord& font)
{
    const int32_t pixels = pixelHeightForPoints(font.points);
    if (pixels < 1 || pixels > kMaxTextPixelHeight) return nullptr;
    const std::optional<TFontFile> file = findFontFile(font.family(), font.bold, font.italic);
    if (!file) return nullptr;

    std::unique_ptr<CFreeTypeGlyph> source(new CFreeTypeGlyph);
    source->font_ = font;
    source->pixels_ = pixels;
    source->vertical_ = font.vertical();
    if (FT_Init_FreeType(&source->library_) != 0) {
        source->library_ = nullptr;
        return nullptr;
    }
    if (!source->addFace(file->path, file->index)) return nullptr;

    const FT_Size_Metrics& m = source->faces_.front().face->size->metrics;
    source->ascender_ = m.ascender;
    source->descender_ = m.descender;
    const int64_t body = int64_t(m.ascender) - m.descender;
    source->metrics_.textHeight = roundPixels(body);
    source->metrics_.externalLeading = std::max(0, roundPixels(int64_t(m.height) - body));
    return source;
}

bool CFreeTypeGlyph::addFace(const std::string& file, int index)
{
    TFace f;
    f.file = file;
    f.index = index;
    if (FT_New_Face(library_, file.c_str(), index, &f.face) != 0) return false;
    FT_Face face = f.face;
    if (!FT_IS_SCALABLE(face) || FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixels_)) != 0) {
        FT_Done_Face(face);
        return false;
    }
    FT_Select_Charmap(face, FT_ENCODING_UNICODE);

    if (font_.italic && (face->style_flags & FT_STYLE_FLAG_ITALIC) == 0) {
        FT_Matrix shear{0x10000, kItalicShear, 0, 0x10000};
        FT_Set_Transform(face, &shear, nullptr);
        f.slanted = true;
    }
    if (vertical_) {
        FT_ULong length = 0;
        if (FT_Load_Sfnt_Table(face, TTAG_GSUB, 0, nullptr, &length) == 0 && length > 0) {
            std::vector<uint8_t> table(length);
            if (FT_Load_Sfnt_Table(face, TTAG_GSUB, 0, table.data(), &length) == 0)
                f.forms = CVerticalForms(table);
        }
    }
    faces_.push_back(std::move(f));
    return true;
}

CFreeTypeGlyph::TFace* CFreeTypeGlyph::faceFor(char32_t character, uint32_t& glyphIndex)
{
    for (TFace& f : faces_) {
        glyphIndex = FT_Get_Char_Index(f.face, FT_ULong(character));
        if (glyphIndex != 0) return &f;
    }
    if (faces_.size() > kMaxFallbackFaces) return nullptr;
    const std::optional<TFontFile> file =
        findFontFile(font_.family(), font_.bold, font_.italic, character);
    if (!file) return nullptr;
    for (const TFace& f : faces_)
        if (f.file == file->path && f.index == file->index)
            return nullptr; // the best face for it is one already asked: nobody has it
    if (!addFace(file->path, file->index)) return nullptr;
    glyphIndex = FT_Get_Char_Index(faces_.back().face, FT_ULong(character));
    return glyphIndex != 0 ? &faces_.back() : nullptr;
}

CFreeTypeGlyph::~CFreeTypeGlyph()
{
    for (TFace& f : faces_)
        FT_Done_Face(f.face);
    if (library_ != nullptr) FT_Done_FreeType(library_);
}

bool CFreeTypeGlyph::textMetrics(TTextMetrics& metrics)
{
    if (faces_.empty()) return false;
    metrics = metrics_;
    return true;
}

const TGlyphBitmap* CFreeTypeGlyph::glyph(char32_t character)
{
    auto found = cache_.find(character);
    if (found == cache_.end()) {
        if (cachedBytes_ > kMaxCachedBytes) {
            cache_.clear();
            cachedBytes_ = 0;
        }
        std::optional<TGlyphBitmap> made = render(character);
        if (made) cachedBytes_ += made->levels.size() + sizeof(TGlyphBitmap);
        found = cache_.emplace(character, std::move(made)).first;
    }
    return found->second ? &*found->second : nullptr;
}

std::optional<TGlyphBitmap> CFreeTypeGlyph::render(char32_t character)
{
    if (character < 0x20 || (character >= 0x7F && character < 0xA0)) return std::nullopt;
    uint32_t index = 0;
    TFace* f = faceFor(character, index);
    if (f == nullptr) return std::nullopt;
    FT_Face face = f->face;
    const bool upright = vertical_ && uprightInVerticalText(character);
    if (upright) index = f->forms.substitute(index);
    if (FT_Load_Glyph(face, FT_UInt(index), FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_NORMAL) != 0)
        return std::nullopt;
    FT_GlyphSlot slot = face->glyph;
    // Kept before rendering, which turns the slot's outline into the bitmap.
    const FT_Glyph_Metrics gm = slot->metrics;
    const FT_Pos advance = slot->advance.x;
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return std::nullopt;
    const FT_Bitmap& bitmap = slot->bitmap;

    TGlyphBitmap out;
    const int32_t width = int32_t(bitmap.width);
    const int32_t rows = int32_t(bitmap.rows);
    const bool blank = width == 0 || rows == 0;

    if (!upright) {
        // Horizontal text, and characters lying along a vertical line: the face's own terms.
        out.cellIncX = roundPixels(advance);
        if (blank) return out;
        out.blackBoxX = width;
        out.blackBoxY = rows;
        out.originX = slot->bitmap_left;
        out.originY = slot->bitmap_top;
        return toLevels(bitmap, out.levels, out.pitch()) ? std::optional(out) : std::nullopt;
    }

    // Upright in a vertical line. The vertical origin (the top centre of the cell) in the
    // horizontal frame; faces without vertical metrics get it centred on the advance, at the
    // ascender, and an advance of the body height.
    const bool hasVertical = FT_HAS_VERTICAL(face);
    const int64_t originX = hasVertical ? gm.horiBearingX - gm.vertBearingX : advance / 2;
    const int64_t originY = hasVertical ? gm.horiBearingY + gm.vertBearingY : ascender_;
    const int64_t verticalAdvance = hasVertical ? gm.vertAdvance : ascender_ - descender_;
    out.cellIncX = roundPixels(verticalAdvance);
    if (blank) return out;

    // The upright bitmap on the paper, from the pen: the column's centre line lies midway
    // between ascender and descender to the right of the pen.
    const int64_t centre = (ascender_ + descender_) / 2;
    const int32_t left = roundPixels(centre + int64_t(slot->bitmap_left) * 64 - originX);
    const int32_t top = roundPixels(originY - int64_t(slot->bitmap_top) * 64);

    std::vector<uint8_t> upLevels;
    const int32_t upPitch = (width + 3) & ~3;
    if (!toLevels(bitmap, upLevels, upPitch)) return std::nullopt;

    // Lay it on its side (a quarter turn anticlockwise) for the rasteriser to turn back: the
    // side bitmap's row r, column c is the upright bitmap's row c, column width − 1 − r.
    out.blackBoxX = rows;
    out.blackBoxY = width;
    out.originX = top;
    out.originY = left + width;
    const int32_t pitch = out.pitch();
    out.levels.assign(size_t(pitch) * size_t(width), 0);
    for (int32_t r = 0; r < width; ++r)
        for (int32_t c = 0; c < rows; ++c)
            out.levels[size_t(r) * size_t(pitch) + size_t(c)] =
                upLevels[size_t(c) * size_t(upPitch) + size_t(width - 1 - r)];
    return out;
}

} // namespace qm
