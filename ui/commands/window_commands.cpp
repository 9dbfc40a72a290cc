// The Window menu: the tool windows shown or hidden, the options, their default places, fitting
// the drawing window to its paper, arranging and switching the drawing windows, the tablet tester.
#include "ui/commands/commands.h"
#include "ui/draw_window.h"
#include "ui/env_dialog.h"
#include "ui/main_window.h"
#include "ui/tablet_tester.h"
#include "ui/tool_docks.h"

#include <QAction>
#include <QDockWidget>
#include <QMdiArea>
#include <QMenu>

namespace qm::ui {

namespace {

void fitWindowToPaper(TMainForm& main)
{
    TDrawWindowWidget* w = main.activeDrawWindow();
    QWidget* frame = w->parentWidget();
    const float s = w->paper().zoomScale();
    const QSize want(int(w->paper().width * s), int(w->paper().height * s));
    frame->resize(frame->size() - w->size() + want.boundedTo(main.mdiArea()->size()));
    w->centreOn(QPointF(w->paper().width / 2.0, w->paper().height / 2.0));
}

// The options: OK stores them, and what can change at once does.
void showOptions(TMainForm& main)
{
    TFormEnv dialog(main.app(), &main);
    if (dialog.exec() != QDialog::Accepted)
        return;
    dialog.store(main.app());
    const TConfigSettings& config = main.app().profile.config;
    main.action(QStringLiteral("actViewAntiAlias"))->setChecked(config.useZoomAntialias);
    for (TDrawWindowWidget* w : main.drawWindows()) {
        w->setAntiAlias(config.useZoomAntialias);
        if (w->paper().undoMngr)
            w->paper().undoMngr->SetLimits(config.undoMax, config.undoMax);
        if (w->paper().gridShown)
            w->paper().setGrid(true, config.gridW, config.gridH, true);
    }
}

void showTabletTester(TMainForm& main)
{
    auto* tester = new TTabletTester(&main);
    tester->setAttribute(Qt::WA_DeleteOnClose);
    tester->show();
}

} // namespace

void addWindowCommands(TMainForm& main, QMenu& menu)
{
    const std::pair<const char*, QString> shown[] = {
        {"actShowToolBox", TMainForm::tr("&Tools")},
        {"actShowPenWindow", TMainForm::tr("&Pen")},
        {"actShowCtrlWindow", TMainForm::tr("&Options")},
        {"actShowLayerWindow", TMainForm::tr("&Layers")},
        {"actShowSelectWindow", TMainForm::tr("&Selection")},
        {"actShowPreviewWindow", TMainForm::tr("Pre&view")},
        {"actShowColorWindow", TMainForm::tr("&Colour")},
        {"actShowRgbWindow", TMainForm::tr("&RGB")},
        {"actShowHsvWindow", TMainForm::tr("&HSV")},
        {"actShowToneWindow", TMainForm::tr("&Tones")},
        {"actShowPatWindow", TMainForm::tr("Pa&ttern")},
        {"actShowGradWindow", TMainForm::tr("&Gradations")},
        {"actShowPalWindow", TMainForm::tr("P&alette")}};
    for (const auto& [name, text] : shown) {
        const QString key = QString::fromLatin1(name);
        QAction* a = main.addCommand(menu, name, text, [&main, key] {
            if (QDockWidget* dock = main.docks().dockOf(key))
                dock->setVisible(main.action(key)->isChecked());
        });
        a->setCheckable(true);
    }
    main.addCommand(menu, "actShowEnvWindow", TMainForm::tr("&Options..."), [&main] { showOptions(main); });
    main.addCommand(menu, "actShowNetWindow", TMainForm::tr("Network"), [] {});
    main.addCommand(menu, "actWindowInitAllPos", TMainForm::tr("Reset Window Positions"),
                    [&main] { main.docks().restoreDefaults(); });
    main.addCommand(menu, "actWindowSizeFit", TMainForm::tr("Fit Window to Paper"),
                    [&main] { fitWindowToPaper(main); });
    menu.addSeparator();
    QMdiArea* mdi = main.mdiArea();
    main.addCommand(menu, "actWindowCascade", TMainForm::tr("&Cascade"),
                    [mdi] { mdi->cascadeSubWindows(); });
    main.addCommand(menu, "actWindowTile", TMainForm::tr("&Tile"), [mdi] { mdi->tileSubWindows(); });
    main.addCommand(menu, "actWindowNext", TMainForm::tr("&Next Window"),
                    [mdi] { mdi->activateNextSubWindow(); }, QKeySequence(Qt::CTRL | Qt::Key_F6));
    main.addCommand(menu, "actWindowPrevious", TMainForm::tr("&Previous Window"),
                    [mdi] { mdi->activatePreviousSubWindow(); },
                    QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F6));
    menu.addSeparator();
    main.addCommand(menu, "actTabletTester", TMainForm::tr("Tablet &Tester..."),
                    [&main] { showTabletTester(main); });
}

} // namespace qm::ui
