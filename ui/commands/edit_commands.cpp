// The Edit menu: undo and redo, cut and copy, the paper's size, rescale, resolution and
// colour, and the turns and flips of the whole picture.
#include "app/dialog_values.h"
#include "paperfile/paper_file.h"
#include "paperfile/clipboard_formats.h"
#include "ui/clipboard_picture.h"
#include "ui/commands/commands.h"
#include "ui/commands/paper_edit.h"
#include "ui/draw_window.h"
#include "ui/main_window.h"
#include "ui/stack_dialogs.h"
#include "ui/ui_text.h"

#include <QColorDialog>
#include <QInputDialog>
#include <QMenu>

namespace qm::ui {

namespace {

void changePaperColour(TMainForm& main)
{
    TDrawWindowWidget* w = main.activeDrawWindow();
    const uint32_t old = w->paper().paperColor;
    const QColor chosen =
        QColorDialog::getColor(QColor(int(old >> 16 & 0xFF), int(old >> 8 & 0xFF), int(old & 0xFF)),
                               &main, TMainForm::tr("Paper Colour"));
    if (!chosen.isValid()) return;
    const uint32_t colour =
        uint32_t(chosen.red()) << 16 | uint32_t(chosen.green()) << 8 | uint32_t(chosen.blue());
    if (colour != old) w->paper().setPaperColor(colour, true);
}

void changeResolution(TMainForm& main)
{
    TDrawWindowWidget* w = main.activeDrawWindow();
    const TIntChoice choice = paperDpiChoice(w->paper().dpi);
    bool ok = false;
    const int dpi =
        QInputDialog::getInt(&main, uiText("用紙DPIの変更"), TMainForm::tr("Pixels per inch:"),
                             choice.initial, choice.low, choice.high, 1, &ok);
    if (!ok || dpi == w->paper().dpi) return;
    w->paper().dpi = dpi;
    w->modified = true;
}

// Copy puts the selected part of the current layer (or what of it lies on the paper) on the
// clipboard; Copy Layer the layer's whole image with the layer's attributes. False when there
// was nothing to put there.
bool copy(TMainForm& main, bool wholeLayer)
{
    TPaper& paper = main.activeDrawWindow()->paper();
    const int32_t index = paper.currentLayerIndex();
    TImagePlacement picture;
    if (!paper.copyPicture(index, wholeLayer, picture) ||
        !putPictureOnClipboard(
            picture.image,
            {picture.at.x, picture.at.y, picture.at.x + picture.image.width(),
             picture.at.y + picture.image.height()},
            wholeLayer ? encodeLayerAttributes(*paper.layer(index), index)
                       : std::vector<uint8_t>{})) {
        showWarning(uiText(kOutOfMemoryMessage));
        return false;
    }
    return true;
}

void cut(TMainForm& main)
{
    // The picture goes to the clipboard first; only then is the selected part taken away.
    if (!copy(main, false)) return;
    runPaperEdit(main, [](TDrawWindowWidget&, TPaper& p, TFlowImage& flow) {
        p.cutSelection(flow, p.currentLayerIndex(), -1, true);
    });
}

// A new paper of the picture's size holding the picture.
void pasteAsNewPaper(TMainForm& main)
{
    TClipboardPicture picture;
    if (!pictureFromClipboard(picture)) {
        showWarning(TMainForm::tr("The clipboard holds no picture."));
        return;
    }
    newPaperHolding(main, TMainForm::tr("Clipboard"), std::move(picture.image));
}

void resizeCanvas(TMainForm& main)
{
    TPaper& paper = main.activeDrawWindow()->paper();
    TFormCanvasSize dialog(paper.width, paper.height, kMaxPaperSide, &main);
    if (dialog.exec() != QDialog::Accepted) return;
    const TPaperResize resize = dialog.resize();
    runPaperEdit(main, [&](TDrawWindowWidget&, TPaper& p, TFlowImage& flow) {
        p.resizeCanvas(flow, resize, true, askGoOnWithoutUndo);
    });
}

void rescalePaper(TMainForm& main)
{
    TPaper& paper = main.activeDrawWindow()->paper();
    TFormResolution dialog(paper.width, paper.height, paper.dpi, kMaxPaperSide, &main);
    if (dialog.exec() != QDialog::Accepted) return;
    const TPaperResize resize = dialog.resize();
    runPaperEdit(main, [&](TDrawWindowWidget&, TPaper& p, TFlowImage& flow) {
        const bool sameSize = resize.width == p.width && resize.height == p.height;
        if (!p.rescalePaper(flow, paperEvent::resolution, resize, true, askGoOnWithoutUndo) &&
            sameSize && resize.dpi != p.dpi) {
            p.dpi = resize.dpi; // only the resolution: nothing to resample
            p.setModified(true);
        }
    });
}

} // namespace

void addEditCommands(TMainForm& main, QMenu& menu)
{
    main.addCommand(
        menu, "actEditUndo", TMainForm::tr("&Undo"), [&main] { main.activeDrawWindow()->undo(); },
        QKeySequence::Undo);
    main.addCommand(
        menu, "actEditRedo", TMainForm::tr("&Redo"), [&main] { main.activeDrawWindow()->redo(); },
        QKeySequence(Qt::CTRL | Qt::Key_Y));
    main.addCommand(menu, "actEditUndoClear", TMainForm::tr("Clear Undo History"),
                    [&main] { main.activeDrawWindow()->paper().clearUndo(); });
    menu.addSeparator();
    main.addCommand(
        menu, "actEditCut", TMainForm::tr("Cu&t"), [&main] { cut(main); }, QKeySequence::Cut);
    main.addCommand(
        menu, "actEditCopy", TMainForm::tr("&Copy"), [&main] { copy(main, false); },
        QKeySequence::Copy);
    main.addCommand(menu, "actEditCopyLayer", TMainForm::tr("Copy &Layer"),
                    [&main] { copy(main, true); });
    main.addCommand(menu, "actPasteNew", TMainForm::tr("Paste as New &Paper"),
                    [&main] { pasteAsNewPaper(main); });
    menu.addSeparator();
    main.addCommand(menu, "actEditResizePaper", TMainForm::tr("Canvas &Size..."),
                    [&main] { resizeCanvas(main); });
    main.addCommand(menu, "actEditChgResoPaper", TMainForm::tr("Resca&le Paper..."),
                    [&main] { rescalePaper(main); });
    main.addCommand(menu, "actEditChgDPI", TMainForm::tr("Resolution..."),
                    [&main] { changeResolution(main); });
    main.addCommand(menu, "actEditChgPaperColor", TMainForm::tr("Paper Colour..."),
                    [&main] { changePaperColour(main); });
    menu.addSeparator();
    const auto edit = [&main](std::function<void(TPaper&, TFlowImage&)> run) {
        return [&main, run] {
            runPaperEdit(main,
                         [&](TDrawWindowWidget&, TPaper& p, TFlowImage& flow) { run(p, flow); });
        };
    };
    main.addCommand(menu, "actAllRot90", TMainForm::tr("Turn Paper 90° &Clockwise"),
                    edit([](TPaper& p, TFlowImage& f) { p.turnPaper(f, true, true); }));
    main.addCommand(menu, "actAllRot270", TMainForm::tr("Turn Paper 90° Counter-clock&wise"),
                    edit([](TPaper& p, TFlowImage& f) { p.turnPaper(f, false, true); }));
    const auto visible = [edit](TLayerCommand command) {
        return edit([command](TPaper& p, TFlowImage& f) { p.transformVisible(f, command, true); });
    };
    main.addCommand(menu, "actVisFlipLR", TMainForm::tr("Flip Visible Layers &Horizontally"),
                    visible(TLayerCommand::flipLeftRight));
    main.addCommand(menu, "actVisFlipTB", TMainForm::tr("Flip Visible Layers &Vertically"),
                    visible(TLayerCommand::flipTopBottom));
    main.addCommand(menu, "actVisRot180", TMainForm::tr("Turn Visible Layers &180°"),
                    visible(TLayerCommand::halfTurn));
    main.addCommand(menu, "actVisNeg", TMainForm::tr("&Negate Visible Layers"),
                    visible(TLayerCommand::negate));
}

} // namespace qm::ui
