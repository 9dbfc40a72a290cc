// The Edit menu: undo and redo, the clipboard and the paper's size, resolution and colour (the
// clipboard and the whole-paper turns are not built yet).
#include "app/dialog_values.h"
#include "ui/commands/commands.h"
#include "ui/draw_window.h"
#include "ui/main_window.h"

#include <QColorDialog>
#include <QInputDialog>
#include <QMenu>

namespace qm::ui {

namespace {

void changePaperColour(TMainForm& main)
{
    TDrawWindowWidget* w = main.activeDrawWindow();
    const uint32_t old = w->paper().paperColor;
    const QColor chosen = QColorDialog::getColor(
        QColor(int(old >> 16 & 0xFF), int(old >> 8 & 0xFF), int(old & 0xFF)), &main,
        TMainForm::tr("Paper Colour"));
    if (!chosen.isValid())
        return;
    const uint32_t colour = uint32_t(chosen.red()) << 16 | uint32_t(chosen.green()) << 8 |
                            uint32_t(chosen.blue());
    if (colour != old)
        w->paper().setPaperColor(colour, true);
}

void changeResolution(TMainForm& main)
{
    TDrawWindowWidget* w = main.activeDrawWindow();
    const TIntChoice choice = paperDpiChoice(w->paper().dpi);
    bool ok = false;
    const int dpi = QInputDialog::getInt(&main, uiText("用紙DPIの変更"), TMainForm::tr("Pixels per inch:"),
                                         choice.initial, choice.low, choice.high, 1, &ok);
    if (!ok || dpi == w->paper().dpi)
        return;
    w->paper().dpi = dpi;
    w->modified = true;
}

} // namespace

void addEditCommands(TMainForm& main, QMenu& menu)
{
    main.addCommand(menu, "actEditUndo", TMainForm::tr("&Undo"),
                    [&main] { main.activeDrawWindow()->undo(); }, QKeySequence::Undo);
    main.addCommand(menu, "actEditRedo", TMainForm::tr("&Redo"),
                    [&main] { main.activeDrawWindow()->redo(); }, QKeySequence(Qt::CTRL | Qt::Key_Y));
    main.addCommand(menu, "actEditUndoClear", TMainForm::tr("Clear Undo History"),
                    [&main] { main.activeDrawWindow()->paper().clearUndo(); });
    menu.addSeparator();
    main.addPlaceholders(menu, {"actEditCut", "actEditCopy", "actEditCopyLayer", "actPasteNew"});
    menu.addSeparator();
    main.addPlaceholders(menu, {"actEditResizePaper", "actEditChgResoPaper"});
    main.addCommand(menu, "actEditChgDPI", TMainForm::tr("Resolution..."),
                    [&main] { changeResolution(main); });
    main.addCommand(menu, "actEditChgPaperColor", TMainForm::tr("Paper Colour..."),
                    [&main] { changePaperColour(main); });
    menu.addSeparator();
    main.addPlaceholders(menu, {"actAllRot90", "actAllRot270", "actVisFlipLR", "actVisFlipTB",
                                "actVisRot180", "actVisNeg"});
}

} // namespace qm::ui
