// Lays a text out and draws it, anti-aliased, into an 8-bit coverage channel: the preview and
// the committed text of the text tool both come from here, so what is previewed is what is
// painted.
#pragma once

#include "core/dib_core.h"
#include "core/message_sink.h"
#include "core/rect.h"
#include "text/font_glyph.h"
#include "text/font_record.h"

#include <cstdint>
#include <string>

namespace qm {

struct TTextRequest {
    TFontRecord font;
    std::string text;           // UTF-8, lines separated by CR LF; invalid bytes are left out
    TChannel* target = nullptr; // cleared, then drawn into (the paper's size)
    // The paper position of the first line's pen. Horizontal text: the start of the baseline.
    // Vertical text: the top of the first column, which reaches from the descender left of x
    // to the ascender right of it (the face's baseline turned upright).
    int32_t originX = 0;
    int32_t originY = 0;
    int32_t spacing = 0; // extra pixels on every character advance (may be negative)
    int32_t leading = 0; // extra pixels on every line height (may be negative)
    // The glyph source; null takes the shared one for `font` (see glyph_source_cache.h).
    CFontGlyph* glyphs = nullptr;
    // Where "makeFontBold: out of memory!" goes; null sends it to standard error.
    MessageSink* messages = nullptr;

    // Out: the font as recorded, and the box of every glyph drawn, clipped to the channel
    // (empty when none).
    TLogFontBytes logFont{};
    TRect bounds{};
};

// The number of glyphs drawn (glyphs wholly outside the channel and blanks do not count), or
// −1 when there is no target or the font's metrics or glyphs cannot be had; then nothing is
// drawn and the target is left as it was.
int32_t rasteriseText(TTextRequest& request);

} // namespace qm
