#include "ui/palette_window.h"
#include "ui/tool_docks.h"

#include "ui/colour_windows.h"
#include "ui/grad_window.h"
#include "ui/draw_window.h"
#include "ui/layer_window.h"
#include "ui/pen_window.h"
#include "ui/pattern_window.h"
#include "ui/preview_window.h"
#include "ui/select_window.h"
#include "ui/tone_window.h"
#include "ui/tools_window.h"

#include <QDockWidget>
#include <QMainWindow>

namespace qm::ui {

namespace {

constexpr const char* kDockStateKey = "state";

} // namespace

TToolDocks::TToolDocks(TAppContext& app, SettingsStore& store, QMainWindow& main)
    : QObject(&main), app_(app), store_(store), main_(main)
{
    tools = new TToolsWindow(app);
    pen = new TPenWindow(app, store);
    control = new TControlWindow(app);
    layers = new TLayerWindow;
    selection = new TSelectWindow;
    preview = new TPreviewWindow;
    colour = new TGColWindow(*app.colours);
    rgb = new TColourFieldsWindow(*app.colours, TColourFieldsWindow::TModel::rgb);
    hsv = new TColourFieldsWindow(*app.colours, TColourFieldsWindow::TModel::hsv);
    const auto activeWindow = [this] { return active_.data(); };
    tones = new TToneWindow(app, activeWindow);
    patterns = new TPatWindow(app, activeWindow);
    patterns->tonesChanged = [this] { tones->refresh(); };
    gradation = new TGradWindow(app);
    palette = new TPalWindow(app, *app.palette);

    // The creation order of the tool windows: tools, pen, preview, options, layers, selection,
    // colour, RGB, HSV, tones (with the pattern maker), gradations, palette.
    addDock("actShowToolBox", nullptr, tr("Tools"), tools, Qt::LeftDockWidgetArea);
    addDock("actShowPenWindow", nullptr, tr("Pen"), pen, Qt::LeftDockWidgetArea);
    QDockWidget* previewDock =
        addDock("actShowPreviewWindow", "previewWinVis", tr("Preview"), preview, Qt::RightDockWidgetArea);
    addDock("actShowCtrlWindow", "ctrlWinVis", tr("Options"), control, Qt::LeftDockWidgetArea);
    QDockWidget* layerDock =
        addDock("actShowLayerWindow", "layerWinVis", tr("Layers"), layers, Qt::RightDockWidgetArea);
    QDockWidget* selectDock = addDock("actShowSelectWindow", "selectWinVis", tr("Selection"),
                                      selection, Qt::RightDockWidgetArea);
    QDockWidget* colourDock =
        addDock("actShowColorWindow", "gcolWinVis", tr("Colour"), colour, Qt::RightDockWidgetArea);
    QDockWidget* rgbDock = addDock("actShowRgbWindow", "rgbWinVis", tr("RGB"), rgb, Qt::RightDockWidgetArea);
    QDockWidget* hsvDock = addDock("actShowHsvWindow", "hsvWinVis", tr("HSV"), hsv, Qt::RightDockWidgetArea);
    QDockWidget* toneDock =
        addDock("actShowToneWindow", "toneWinVis", tr("Tones"), tones, Qt::RightDockWidgetArea);
    QDockWidget* patternDock =
        addDock("actShowPatWindow", nullptr, tr("Pattern"), patterns, Qt::RightDockWidgetArea);
    QDockWidget* gradationDock = addDock("actShowGradWindow", "gradWinVis", tr("Gradations"),
                                         gradation, Qt::RightDockWidgetArea);
    QDockWidget* paletteDock =
        addDock("actShowPalWindow", "palWinVis", tr("Palette"), palette, Qt::RightDockWidgetArea);
    main_.splitDockWidget(colourDock, previewDock, Qt::Vertical);
    main_.splitDockWidget(previewDock, layerDock, Qt::Vertical);
    main_.splitDockWidget(layerDock, selectDock, Qt::Vertical);
    main_.tabifyDockWidget(colourDock, rgbDock);
    main_.tabifyDockWidget(rgbDock, hsvDock);
    main_.tabifyDockWidget(hsvDock, toneDock);
    main_.tabifyDockWidget(toneDock, patternDock);
    main_.tabifyDockWidget(patternDock, gradationDock);
    main_.tabifyDockWidget(gradationDock, paletteDock);
    colourDock->raise();
    patternDock->hide(); // opened when a pattern is to be made
    defaults_ = main_.saveState();

    app.colours->onChanged = [this](bool main, int32_t source) {
        colour->colourChanged(main, source);
        rgb->follow();
        hsv->follow();
        gradation->followColours(); // the fixed two-colour entry
        palette->followColour();    // the mark on the main colour's swatch
        if (app_.colourChanged)
            app_.colourChanged();
    };
    app.colours->onHueChanged = [this] { colour->hueChanged(); };
    connect(pen, &TPenWindow::strokeChanged, this, [this] { control->followMode(); });
}

QDockWidget* TToolDocks::addDock(const char* action, const char* visibleKey, const QString& title,
                                 QWidget* content, Qt::DockWidgetArea area)
{
    auto* dock = new QDockWidget(title, &main_);
    dock->setObjectName(QString::fromLatin1(action + 7) + QStringLiteral("Dock"));
    dock->setWidget(content);
    dock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                      QDockWidget::DockWidgetFloatable);
    main_.addDockWidget(area, dock);
    docks_[QString::fromLatin1(action)] = dock;
    if (visibleKey)
        visibleKeys_[QString::fromLatin1(action)] = visibleKey;
    return dock;
}

QDockWidget* TToolDocks::dockOf(const QString& action) const
{
    const auto it = docks_.find(action);
    return it == docks_.end() ? nullptr : it->second;
}

void TToolDocks::follow(TDrawWindowWidget* window)
{
    active_ = window;
    layers->setDrawWindow(window);
    selection->setDrawWindow(window);
    preview->setDrawWindow(window);
}

void TToolDocks::modeChanged()
{
    tools->followMode();
    control->followMode();
}

void TToolDocks::showStatus(const QString& text) { control->showStatus(text); }

void TToolDocks::strokeChanged() { pen->followStroke(); }

void TToolDocks::restoreDefaults()
{
    main_.restoreState(defaults_);
    for (const auto& [action, dock] : docks_)
        dock->show();
}

void TToolDocks::restore()
{
    std::string state;
    if (store_.readText(CAppProfile::kDocking, kDockStateKey, state) && !state.empty())
        main_.restoreState(QByteArray::fromBase64(QByteArray::fromStdString(state)));
    // The named visibilities of the settings win over the saved layout.
    for (const auto& [action, key] : visibleKeys_)
        if (QDockWidget* dock = dockOf(action))
            dock->setVisible(app_.profile.windowBool(key));
}

void TToolDocks::save()
{
    store_.writeText(CAppProfile::kDocking, kDockStateKey, main_.saveState().toBase64().toStdString());
    for (const auto& [action, key] : visibleKeys_)
        if (QDockWidget* dock = dockOf(action))
            app_.profile.setWindowBool(key, !dock->isHidden());
    pen->saveButtons();
}

} // namespace qm::ui
