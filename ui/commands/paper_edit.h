// Running one of the paper's edits from a menu command on the active drawing window.
#pragma once

#include "core/dib_core.h"

#include <QString>

#include <functional>
#include <string>

namespace qm {
class TPaper;
class TFlowImage;
} // namespace qm

namespace qm::ui {

class TMainForm;
class TDrawWindowWidget;

// The edit runs under the wait cursor; afterwards the view is kept on the paper when the
// paper's size changed, and the window and the menus are told.
void runPaperEdit(TMainForm& main,
                  const std::function<void(TDrawWindowWidget&, TPaper&, TFlowImage&)>& edit);

// A new paper of the picture's size holding it in its layer (a recorded placement, so the
// recording replays without the picture's source). Null when no paper could be made.
TDrawWindowWidget* newPaperHolding(TMainForm& main, const QString& title, TMTC picture);

// The question of a whole-stack change that cannot keep undo, as an OK/Cancel warning.
bool askGoOnWithoutUndo(const std::string& question);

} // namespace qm::ui
