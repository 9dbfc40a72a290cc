// What the palette window does with files: loading one (also at start), saving, and writing
// the palette back at exit. Each returns what to tell the user as messages, in order; the
// caller shows them through its message sink. Questions go to a callback.
//
// A palette always lives in an own-format file ("palFile"): loading another kind writes the
// palette beside it as "<name>.qpl" at once. A file the user did not choose is never
// overwritten: when "<name>.qpl" already exists and holds something else, the next free
// "<name> (2).qpl", "<name> (3).qpl", … is taken instead, and the outcome names it.
#pragma once

#include "palette/palette.h"
#include "palette/palette_messages.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace qm {

// Asked with kPalCmykQuestion (total colours, CMYK colours); true (Yes) removes the CMYK
// swatches. Without a callback they are kept.
using TPalQuestion = std::function<bool(const TPalMessage& question)>;

struct TPalLoad {
    bool replaced = false; // the palette now holds the file's colours
    int32_t result = -1;   // the reader's result (colours read, 0 unusable, negative unreadable)
    int32_t discarded = 0; // CMYK swatches removed on the user's word
    // The own-format file the palette now lives in (the file itself, or the copy written or
    // found beside it); empty when the palette was not replaced or no copy could be written.
    // "palFile" should point here.
    std::string ownFile;
    bool wroteOwnFile = false; // a copy was written (not found already holding the palette)
    std::vector<TPalMessage> messages;
};

// The kind from the extension; reading; the missing colours; the CMYK question for swatch
// files; then the file's entries, grid and cell size replace the palette's (swatch files keep
// the palette's grid), the modified flag is cleared and the palette's path is the own file.
// On any failure the palette stays as it was.
TPalLoad loadPaletteInWindow(CPalette& palette, const std::string& path,
                             const TPalQuestion& askDiscardCmyk);

struct TPalSave {
    bool saved = false;
    std::vector<TPalMessage> messages;
};

// The extension picks the writer (see withPalExtension for names without one). Success
// clears the modified flag; an own-format file becomes the palette's path.
TPalSave savePaletteFromWindow(CPalette& palette, const std::string& path);

// The own-format file for `bytes` at "<base>.qpl", else "<base> (2).qpl", … : the first name
// that is free or already holds exactly these bytes. Empty when none of the first 999 is.
std::string freeOwnFileName(const std::string& base, std::span<const uint8_t> bytes);

struct TPalStartup {
    TPalLoad load;       // the load of the file that was found, when one was
    std::string palFile; // what "palFile" names from now on (empty when nothing could be written)
    bool wroteDefault = false;
    std::vector<TPalMessage> messages; // every message of the start, in order
};

// At start: the file "palFile" names is loaded when it exists. Otherwise (or when it cannot be
// loaded, so that it is never overwritten) "default.qpl" in `programFolder` is loaded when it
// exists, else the default palette is written there; a "default.qpl" that exists but cannot be
// loaded is left alone and the default palette goes to a free name beside it.
TPalStartup startPalette(CPalette& palette, const std::string& palFile,
                         const std::string& programFolder, const TPalQuestion& askDiscardCmyk);

// At exit: writes the palette to its own file `palFile` unless that already holds exactly it.
// Nothing is written for an empty name or one of another kind.
TPalSave savePaletteAtExit(CPalette& palette, const std::string& palFile);

} // namespace qm
