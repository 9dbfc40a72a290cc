// The glyph sources of the last few fonts, kept open: the preview re-renders the text on every
// keystroke, and opening a face and rendering its glyphs again each time would be wasted work.
#pragma once

#include "text/font_glyph.h"
#include "text/font_record.h"

#include <memory>

namespace qm {

// The source for the font, opened on first use; null when the font cannot be opened (that is
// asked again next time).
std::shared_ptr<CFontGlyph> sharedGlyphSource(const TFontRecord& font);

// Closes every kept source and looks at the installed fonts again (when fonts change, and in
// tests).
void dropSharedGlyphSources();

} // namespace qm
