// The View menu: zoom in, out and back to actual size, the anti-aliased view and the grid.
#include "ui/commands/commands.h"
#include "ui/draw_window.h"
#include "ui/main_window.h"

#include <QAction>
#include <QMenu>

namespace qm::ui {

void addViewCommands(TMainForm& main, QMenu& menu)
{
    main.addCommand(menu, "actViewZoomIn", TMainForm::tr("Zoom &In"),
                    [&main] { main.activeDrawWindow()->zoomIn(); }, QKeySequence::ZoomIn);
    main.addCommand(menu, "actViewZoomOut", TMainForm::tr("Zoom &Out"),
                    [&main] { main.activeDrawWindow()->zoomOut(); }, QKeySequence::ZoomOut);
    main.addCommand(menu, "actViewZoomCancel", TMainForm::tr("&Actual Size"),
                    [&main] { main.activeDrawWindow()->zoomCancel(); },
                    QKeySequence(Qt::CTRL | Qt::Key_0));
    QAction* antiAlias = main.addCommand(menu, "actViewAntiAlias", TMainForm::tr("Anti-aliased &View"), [&main] {
        TConfigSettings& config = main.app().profile.config;
        config.useZoomAntialias = main.action(QStringLiteral("actViewAntiAlias"))->isChecked();
        for (TDrawWindowWidget* w : main.drawWindows())
            w->setAntiAlias(config.useZoomAntialias);
    });
    antiAlias->setCheckable(true);
    antiAlias->setChecked(main.app().profile.config.useZoomAntialias);
    QAction* grid = main.addCommand(menu, "actShowGrid", TMainForm::tr("&Grid"), [&main] {
        const TConfigSettings& config = main.app().profile.config;
        main.activeDrawWindow()->paper().setGrid(main.action(QStringLiteral("actShowGrid"))->isChecked(),
                                                 config.gridW, config.gridH, true);
    });
    grid->setCheckable(true);
}

} // namespace qm::ui
