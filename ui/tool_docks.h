// The tool windows docked around the drawing windows: tools, pen, options, layers, selection,
// preview, colour, RGB and HSV. Their placement, visibility and dock state persist in the
// "window" section and its "docking" sub-key; the defaults can be restored.
#pragma once

#include "files/settings_store.h"
#include "ui/app_context.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>

#include <map>

class QDockWidget;
class QMainWindow;

namespace qm::ui {

class TDrawWindowWidget;
class TGColWindow;
class TColourFieldsWindow;
class TLayerWindow;
class TPenWindow;
class TPreviewWindow;
class TSelectWindow;
class TControlWindow;
class TToolsWindow;
class TPalWindow;
class TToneWindow;
class TPatWindow;
class TGradWindow;

class TToolDocks : public QObject {
    Q_OBJECT
public:
    TToolDocks(TAppContext& app, SettingsStore& store, QMainWindow& main);

    // The dock of a window action ("actShowToolBox" …); nullptr for others.
    QDockWidget* dockOf(const QString& action) const;
    const std::map<QString, QDockWidget*>& docks() const { return docks_; }

    // The active drawing window changed.
    void follow(TDrawWindowWidget* window);
    void modeChanged();
    void showStatus(const QString& text);
    void strokeChanged();

    // Places every window where it starts out.
    void restoreDefaults();
    // Reads and writes the layout.
    void restore();
    void save();

    TToolsWindow* tools = nullptr;
    TPenWindow* pen = nullptr;
    TControlWindow* control = nullptr;
    TLayerWindow* layers = nullptr;
    TSelectWindow* selection = nullptr;
    TPreviewWindow* preview = nullptr;
    TGColWindow* colour = nullptr;
    TColourFieldsWindow* rgb = nullptr;
    TColourFieldsWindow* hsv = nullptr;
    TToneWindow* tones = nullptr;
    TPalWindow* palette = nullptr;
    TPatWindow* patterns = nullptr;
    TGradWindow* gradation = nullptr;

private:
    QPointer<TDrawWindowWidget> active_;
    QDockWidget* addDock(const char* action, const char* visibleKey, const QString& title,
                         QWidget* content, Qt::DockWidgetArea area);

    TAppContext& app_;
    SettingsStore& store_;
    QMainWindow& main_;
    std::map<QString, QDockWidget*> docks_;
    std::map<QString, const char*> visibleKeys_;
    QByteArray defaults_;
};

} // namespace qm::ui
