// The Layer menu: new and delete layer, the layer mask (the rest is not built yet).
#include "ui/commands/commands.h"
#include "ui/draw_window.h"
#include "ui/main_window.h"

#include <QMenu>

namespace qm::ui {

void addLayerCommands(TMainForm& main, QMenu& menu)
{
    main.addCommand(menu, "actLayerCreate", TMainForm::tr("&New Layer"),
                    [&main] { main.activeDrawWindow()->newLayer(); },
                    QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
    main.addPlaceholders(menu, {"actCreateLayerStd", "actCreateLayerMul", "actCreateLayerAdd",
                                "actCreateLayerSub"});
    main.addCommand(menu, "actDeleteCurLayer", TMainForm::tr("&Delete Layer"),
                    [&main] { main.activeDrawWindow()->deleteCurrentLayer(); });
    main.addPlaceholders(menu, {"actLayerDuplicate", "actLayerPaste", "actLayerPasteNew",
                                "actLayerBindLower", "actLayerBindBelow", "actLayerBindAll",
                                "actLayerCutOutside", "actLayerHideAll", "actLayerVisAll",
                                "actLayerVisOnly", "actLayerVisFlip", "actLayerRotate",
                                "actLayerRot90", "actLayerRot270", "actLayerZoom"});
    menu.addSeparator();
    // The layer mask is the layer's alpha.
    const auto maskEdit = [&main](auto edit) {
        return [&main, edit] {
            TDrawWindowWidget* w = main.activeDrawWindow();
            edit(w->paper(), w->document().flow(), w->paper().currentLayerIndex());
        };
    };
    main.addCommand(menu, "actLayerMaskFill", TMainForm::tr("&Fill Layer Mask"),
                    maskEdit([](TPaper& p, TFlowImage& f, int32_t i) { p.fillLayerMask(f, i, 255, true); }));
    main.addCommand(menu, "actLayerMaskClear", TMainForm::tr("&Clear Layer Mask"),
                    maskEdit([](TPaper& p, TFlowImage& f, int32_t i) { p.fillLayerMask(f, i, 0, true); }));
    main.addCommand(menu, "actLayerMaskNega", TMainForm::tr("&Invert Layer Mask"),
                    maskEdit([](TPaper& p, TFlowImage& f, int32_t i) { p.negateLayerMask(f, i, true); }));
    main.addCommand(menu, "actProtectLayerMask", TMainForm::tr("&Protect Layer Mask"),
                    maskEdit([](TPaper& p, TFlowImage& f, int32_t i) {
                        const CLayerData* layer = p.layer(i);
                        if (layer)
                            p.setLayerProtectAlpha(f, i, !layer->protectAlpha, true);
                    }))
        ->setCheckable(true);
}

} // namespace qm::ui
