// The Layer menu: new and delete layer (the rest is not built yet).
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
                                "actLayerRot90", "actLayerRot270", "actLayerZoom",
                                "actLayerMaskClear", "actLayerMaskFill", "actLayerMaskNega",
                                "actProtectLayerMask"});
}

} // namespace qm::ui
