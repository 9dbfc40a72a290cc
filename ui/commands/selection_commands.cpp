// The Selection menu (not built yet).
#include "ui/commands/commands.h"
#include "ui/main_window.h"

namespace qm::ui {

void addSelectionCommands(TMainForm& main, QMenu& menu)
{
    main.addPlaceholders(menu, {"actSelectEnable", "actSelectAll", "actSelectRemove",
                                "actSelectInvert", "actSelectVisible", "actSelectInflate",
                                "actSelectInflate2", "actSelectDeflate", "actSelectDeflate2",
                                "actSelectColorRange", "actSelectFromLayerMask",
                                "actSelectFromLayerValue", "actSelectCopyLayerMask",
                                "actSelectCutOutside", "actSelectDelete", "actSelectImgDelete",
                                "actSelectImgFill", "actSelectDuplicate", "actSelectInsert",
                                "actSelectNewLayer", "actSelectSplitLayer"});
}

} // namespace qm::ui
