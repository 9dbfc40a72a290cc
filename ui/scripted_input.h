// Synthetic input for a whole program run: a script of papers, mouse presses, moves and
// releases in paper coordinates, and pauses, played into the drawing window as if a hand did
// it. The crash tests drive the real program with it ("QUILLMERE_INPUT_SCRIPT").
//   paper <width> <height>
//   press <x> <y> / move <x> <y> / release <x> <y>
//   wait <milliseconds>
#pragma once

#include <QString>

namespace qm::ui {

class TMainForm;

// Starts playing the script file; false when it cannot be read.
bool playInputScript(TMainForm& main, const QString& path);

} // namespace qm::ui
