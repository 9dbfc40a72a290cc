// The Selection menu: the selection's switches, making, changing and combining masks, the
// mask list, and the layer commands that go through the selection. Each runs one paper
// operation on the active drawing window, which records it and keeps it undoable.
#include "ui/commands/commands.h"
#include "ui/draw_window.h"
#include "ui/main_window.h"
#include "ui/select_dialogs.h"

#include <QMenu>

namespace qm::ui {

namespace {

// The amount the grow and shrink dialogs offer next.
int gAmount = 1;

void growOrShrink(TMainForm& main, bool grow)
{
    int amount = gAmount;
    if (!askSelectAmount(&main, grow, amount))
        return;
    gAmount = amount;
    main.activeDrawWindow()->paper().growMask(-1, amount, grow, true, true);
}

} // namespace

void addSelectionCommands(TMainForm& main, QMenu& menu)
{
    const auto paper = [&main]() -> TPaper& { return main.activeDrawWindow()->paper(); };
    const auto flow = [&main]() -> TFlowImage& { return main.activeDrawWindow()->document().flow(); };
    const auto add = [&main, &menu](const char* name, const QString& text,
                                    std::function<void()> run, const QKeySequence& keys = {}) {
        return main.addCommand(menu, name, text, std::move(run), keys);
    };

    add("actSelectEnable", TMainForm::tr("Selection in &Effect"),
        [paper] { paper().setSelectionActive(!paper().selectionActive, true); },
        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E))
        ->setCheckable(true);
    add("actSelectVisible", TMainForm::tr("Show &Outline"),
        [paper] { paper().setSelectionShown(!paper().selectionShown, true); },
        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_H))
        ->setCheckable(true);
    menu.addSeparator();
    add("actSelectAll", TMainForm::tr("Select &All"), [paper] { paper().selectAll(true); },
        QKeySequence(Qt::CTRL | Qt::Key_A));
    add("actSelectDelete", TMainForm::tr("&Deselect"), [paper] { paper().clearMask(-1, true); },
        QKeySequence(Qt::CTRL | Qt::Key_D));
    add("actSelectInvert", TMainForm::tr("&Invert"), [paper] { paper().invertMask(-1, true); },
        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_I));
    menu.addSeparator();
    add("actSelectInflate", TMainForm::tr("&Grow by One"),
        [paper] { paper().growMask(-1, 1, true, false, true); });
    add("actSelectInflate2", TMainForm::tr("G&row..."), [&main] { growOrShrink(main, true); });
    add("actSelectDeflate", TMainForm::tr("&Shrink by One"),
        [paper] { paper().growMask(-1, 1, false, false, true); });
    add("actSelectDeflate2", TMainForm::tr("S&hrink..."), [&main] { growOrShrink(main, false); });
    add("actSelectColorRange", TMainForm::tr("&Colour Range..."),
        [&main] { runColourRange(*main.activeDrawWindow()); });
    add("actSelectCutOutside", TMainForm::tr("Crop to the &Paper"),
        [paper] { paper().cropMaskToPaper(-1, true); });
    menu.addSeparator();
    add("actSelectFromLayerValue", TMainForm::tr("From Layer &Brightness"),
        [paper] { paper().maskFromLayer(paper().currentLayerIndex(), true, true); });
    add("actSelectFromLayerMask", TMainForm::tr("From Layer &Mask"),
        [paper] { paper().maskFromLayer(paper().currentLayerIndex(), false, true); });
    add("actSelectCopyLayerMask", TMainForm::tr("&To Layer Mask"), [paper, flow] {
        paper().copySelectionToLayerMask(flow(), paper().currentLayerIndex(), true);
    });
    add("actSelectNewLayer", TMainForm::tr("&New Layer from Selection"), [paper, flow] {
        paper().layerFromSelection(flow(), paper().currentLayerIndex(), false, true);
    });
    add("actSelectSplitLayer", TMainForm::tr("Sp&lit Layer by Selection"), [paper, flow] {
        paper().layerFromSelection(flow(), paper().currentLayerIndex(), true, true);
    });
    add("actSelectImgFill", TMainForm::tr("&Fill Selection"), [&main, paper, flow] {
        paper().fillWholeLayer(flow(), main.app().liveStroke, true, areaFillEvent::fillSelection);
    });
    add("actSelectImgDelete", TMainForm::tr("&Erase Selection"), [&main, paper, flow] {
        paper().fillWholeLayer(flow(), main.app().liveStroke, true, areaFillEvent::clearSelection);
    });
    menu.addSeparator();
    add("actSelectInsert", TMainForm::tr("New &Mask"), [paper] { paper().insertMask(-1, true); });
    add("actSelectDuplicate", TMainForm::tr("D&uplicate Mask"),
        [paper] { paper().duplicateMask(-1, true); });
    add("actSelectRemove", TMainForm::tr("Remo&ve Mask"), [paper] { paper().removeMask(-1, true); });
}

} // namespace qm::ui
