// The Filter menu (not built yet).
#include "ui/commands/commands.h"
#include "ui/main_window.h"

namespace qm::ui {

void addFilterCommands(TMainForm& main, QMenu& menu)
{
    main.addPlaceholders(menu, {"actFilterBlur", "actFilterBlurStrong", "actFilterBlurMove",
                                "actFilterBlurZoom", "actFilterGauss", "actFilterSharp",
                                "actFilterSharpStrong", "actFilterSharpCustom", "actFilterMono",
                                "actFilterNega", "actFilterContrast", "actFilterGamma",
                                "actFilterLevel", "actFilterHLS", "actFilterPoster",
                                "actFilterNoize", "actFilterMosaic", "actFilterEmboss",
                                "actFilterWave", "actFilterTwist", "actFilterCloud",
                                "actFilterRock", "actFilterTile", "actFilterFloor",
                                "actFilterLighting", "actFilterFlipLR", "actFilterFlipTB",
                                "actFilterRot180"});
}

} // namespace qm::ui
