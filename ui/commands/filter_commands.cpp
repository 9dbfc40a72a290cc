// The Filter menu (the filters themselves are not built yet; the layer commands are).
#include "ui/commands/commands.h"
#include "ui/commands/paper_edit.h"
#include "ui/draw_window.h"
#include "ui/main_window.h"

#include <QMenu>

namespace qm::ui {

void addFilterCommands(TMainForm& main, QMenu& menu)
{
    main.addPlaceholders(
        menu,
        {"actFilterBlur",   "actFilterBlurStrong", "actFilterBlurMove",    "actFilterBlurZoom",
         "actFilterGauss",  "actFilterSharp",      "actFilterSharpStrong", "actFilterSharpCustom",
         "actFilterMono",   "actFilterContrast",   "actFilterGamma",       "actFilterLevel",
         "actFilterHLS",    "actFilterPoster",     "actFilterNoize",       "actFilterMosaic",
         "actFilterEmboss", "actFilterWave",       "actFilterTwist",       "actFilterCloud",
         "actFilterRock",   "actFilterTile",       "actFilterFloor",       "actFilterLighting"});
    menu.addSeparator();
    const auto layerCommand = [&main](TLayerCommand command) {
        return [&main, command] {
            runPaperEdit(main, [command](TDrawWindowWidget&, TPaper& p, TFlowImage& flow) {
                p.execLayerCommand(flow, p.currentLayerIndex(), true, int32_t(command));
            });
        };
    };
    main.addCommand(menu, "actFilterNega", TMainForm::tr("&Negate"),
                    layerCommand(TLayerCommand::negate));
    main.addCommand(menu, "actFilterFlipLR", TMainForm::tr("Flip &Horizontally"),
                    layerCommand(TLayerCommand::flipLeftRight));
    main.addCommand(menu, "actFilterFlipTB", TMainForm::tr("Flip &Vertically"),
                    layerCommand(TLayerCommand::flipTopBottom));
    main.addCommand(menu, "actFilterRot180", TMainForm::tr("Turn &180°"),
                    layerCommand(TLayerCommand::halfTurn));
}

} // namespace qm::ui
