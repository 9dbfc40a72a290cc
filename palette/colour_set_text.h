// Colour-set text files: ".pcs" with lines ended by CR, ".txt" with CR LF.
//
// Written as "ROWS n", "COLS n", "WIDTH n", "HEIGHT n", "TEXTHEIGHT 0", "SPACING 1", then one
// line "R:rrr, G:ggg, B:bbb" per entry (three digits, zero-padded).
//
// Read line by line (every CR and every LF ends a line); within a line, blanks are skipped and
// tokens taken one after another, without regard to case: "," is skipped; "ROWS ", "COLS ",
// "WIDTH ", "HEIGHT " and a number set the grid; "TEXTHEIGHT " and "SPACING " and a number are
// read and ignored; "R:", "G:", "B:" and a number set that byte of the line's colour (the
// number's low byte); anything else is skipped up to the next blank. A line that set R, G or B
// gives one colour, counted when its line end is reached (so a last line without one is not).
// Sizes the text lacks stay −1.
#pragma once

#include "palette/palette.h"
#include "palette/palette_read.h"

#include <cstdint>
#include <span>
#include <string>

namespace qm {

TPalRead readColourSetText(std::span<const uint8_t> bytes);
// crlf: lines end with CR LF (".txt"), else with CR (".pcs").
std::string writeColourSetText(const CPalette& palette, bool crlf);

} // namespace qm
