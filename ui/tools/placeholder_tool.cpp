// Fills, drag tools, shapes, selections and text: until their operations exist, their modes
// only show the cursor's position (the base tool's hover).
#include "ui/tools/tool.h"

namespace qm::ui {

std::unique_ptr<TTool> makePlaceholderTool(TDrawWindowWidget& window)
{
    return std::make_unique<TTool>(window);
}

} // namespace qm::ui
