#include "text/text_raster.h"

#include "core/pixel_math.h"
#include "text/glyph_source_cache.h"
#include "text/utf8_decode.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>
#include <vector>

namespace qm {

namespace {

constexpr char32_t kCarriageReturn = 0x0D;
constexpr char32_t kLineFeed = 0x0A;

// Pen arithmetic runs in 64 bits so that no text, spacing or leading can overflow it; glyphs
// placed beyond the 32-bit paper coordinates are off every channel and left out.
struct TPen {
    int64_t x = 0;
    int64_t y = 0;
};

bool fitsCoordinates(int64_t left, int64_t top)
{
    constexpr int64_t limit = int64_t(1) << 30;
    return left > -limit && left < limit && top > -limit && top < limit;
}

// A glyph's 0 … 255 coverage, top row first, `width` bytes a row.
struct TCoverage {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> values;
};

// Levels 0 … 64 to 0 … 255 as (v × 255) >> 6, dropping the row padding.
void expandLevels(const TGlyphBitmap& glyph, TCoverage& out)
{
    const int32_t pitch = glyph.pitch();
    out.width = glyph.blackBoxX;
    out.height = pitch > 0 ? int32_t(glyph.levels.size() / size_t(pitch)) : 0;
    out.values.resize(size_t(out.width) * size_t(out.height));
    for (int32_t y = 0; y < out.height; ++y) {
        const uint8_t* src = glyph.levels.data() + size_t(y) * size_t(pitch);
        uint8_t* dst = out.values.data() + size_t(y) * size_t(out.width);
        for (int32_t x = 0; x < out.width; ++x)
            dst[x] = uint8_t((std::min<uint32_t>(src[x], kGlyphLevels) * 255u) >> 6);
    }
}

// Synthetic bold: one column wider, every pixel also laid into its right neighbour keeping the
// larger. Unthickened when the wider copy cannot be had.
bool thicken(TCoverage& glyph, std::vector<uint8_t>& scratch)
{
    const int32_t wide = glyph.width + 1;
    try {
        scratch.assign(size_t(wide) * size_t(glyph.height), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (int32_t y = 0; y < glyph.height; ++y) {
        const uint8_t* src = glyph.values.data() + size_t(y) * size_t(glyph.width);
        uint8_t* dst = scratch.data() + size_t(y) * size_t(wide);
        std::memcpy(dst, src, size_t(glyph.width));
        for (int32_t x = 0; x < glyph.width; ++x)
            dst[x + 1] = std::max(dst[x + 1], src[x]);
    }
    glyph.values.swap(scratch);
    glyph.width = wide;
    return true;
}

// Lays the coverage over the channel with its top-left at (left, top); `turned` lays it a
// quarter turn clockwise (row r becomes column height − 1 − r). Returns the clipped box drawn.
TRect layGlyph(TChannel& target, const TCoverage& glyph, int32_t left, int32_t top, bool turned)
{
    const int32_t w = turned ? glyph.height : glyph.width; // size on the paper
    const int32_t h = turned ? glyph.width : glyph.height;
    TRect placed{left, top, left + w, top + h};
    TRect drawn;
    if (!intersectRect(placed, toRect(target.bounds()), drawn)) return {};
    for (int32_t py = drawn.top; py < drawn.bottom; ++py) {
        uint8_t* row = target.row(py);
        const int32_t v = py - top;
        for (int32_t px = drawn.left; px < drawn.right; ++px) {
            const int32_t u = px - left;
            // Unturned: bitmap (u, v). Turned: paper column u is bitmap row height − 1 − u,
            // paper row v is bitmap column v.
            const size_t index =
                turned ? size_t(glyph.height - 1 - u) * size_t(glyph.width) + size_t(v)
                       : size_t(v) * size_t(glyph.width) + size_t(u);
            const uint32_t g = glyph.values[index];
            if (g != 0) row[px] = uint8_t(Lerp255(255, row[px], g));
        }
    }
    return drawn;
}

TRect unite(const TRect& a, const TRect& b)
{
    if (a.isEmpty()) return b;
    if (b.isEmpty()) return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

void clearChannel(TChannel& channel)
{
    for (int32_t y = 0; y < channel.height(); ++y)
        std::memset(channel.row(y), 0, size_t(channel.width()));
}

} // namespace

int32_t rasteriseText(TTextRequest& request)
{
    request.bounds = {};
    request.logFont = encodeLogFont(request.font);
    if (request.target == nullptr || !request.target->IsValid()) return -1;

    std::shared_ptr<CFontGlyph> shared;
    CFontGlyph* source = request.glyphs;
    if (source == nullptr) {
        shared = sharedGlyphSource(request.font);
        source = shared.get();
    }
    TTextMetrics metrics;
    if (source == nullptr || !source->textMetrics(metrics)) return -1;

    TChannel& target = *request.target;
    const bool vertical = source->vertical();
    const bool bold = request.font.bold;
    const int64_t lineHeight =
        int64_t(metrics.textHeight) + metrics.externalLeading + request.leading;

    clearChannel(target);
    TPen pen{request.originX, request.originY};
    TPen lineStart = pen;
    int32_t drawnCount = 0;
    TCoverage coverage;
    std::vector<uint8_t> scratch;

    const std::string_view text = request.text;
    size_t pos = 0;
    char32_t ch = 0;
    bool afterCarriageReturn = false;
    while (nextCodePoint(text, pos, ch)) {
        if (ch == kLineFeed && afterCarriageReturn) {
            afterCarriageReturn = false;
            continue;
        }
        afterCarriageReturn = ch == kCarriageReturn;
        if (ch == kCarriageReturn) {
            if (vertical)
                lineStart.x -= lineHeight;
            else
                lineStart.y += lineHeight;
            pen = lineStart;
            continue;
        }

        const TGlyphBitmap* glyph = source->glyph(ch);
        if (glyph == nullptr) continue; // no glyph: left out, no advance
        int32_t boldExtra = 0;
        if (!glyph->levels.empty() && glyph->blackBoxX > 0) {
            expandLevels(*glyph, coverage);
            if (bold) {
                if (thicken(coverage, scratch))
                    boldExtra = 1;
                else
                    (request.messages ? *request.messages : stderrMessageSink())
                        .showMessage("makeFontBold: out of memory!");
            }
            // Vertical glyphs lie on their side: their frame's y is the paper's x.
            const int64_t left =
                vertical ? pen.x + glyph->originY - glyph->blackBoxY : pen.x + glyph->originX;
            const int64_t top = vertical ? pen.y + glyph->originX : pen.y - glyph->originY;
            const TRect drawn =
                fitsCoordinates(left, top)
                    ? layGlyph(target, coverage, int32_t(left), int32_t(top), vertical)
                    : TRect{};
            if (!drawn.isEmpty()) {
                request.bounds = unite(request.bounds, drawn);
                ++drawnCount;
            }
        }

        const int64_t along =
            glyph->cellIncX > 0 ? int64_t(glyph->cellIncX) + request.spacing + boldExtra : 0;
        const int64_t across = glyph->cellIncY > 0 ? int64_t(glyph->cellIncY) + request.leading : 0;
        if (vertical) {
            pen.y += along;
            pen.x += across;
        } else {
            pen.x += along;
            pen.y += across;
        }
    }
    return drawnCount;
}

} // namespace qm
