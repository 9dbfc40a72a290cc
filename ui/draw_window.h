// The drawing window: shows one paper at any zoom and rotation and turns mouse, tablet and key
// input into calls on it. It owns its document (paper, flow image, recorder); the rules it
// follows (tool modes, temporary modes, pen input, view rendering) live in the engine.
#pragma once

#include "app/document.h"
#include "app/paper_journal.h"
#include "core/view_pyramid.h"
#include "paint/tool_routing.h"
#include "paper/pen_input.h"
#include "ui/app_context.h"
#include "ui/tools/tool.h"

#include <QElapsedTimer>
#include <QImage>
#include <QRegion>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <utility>

namespace qm::ui {

// How a replay in the window ended: played to its end, stopped by the user, or stopped by a
// step that failed.
enum class TReplayEnd { completed, stopped, failed };

class TDrawWindowWidget : public QWidget, public TDrawWindow, public ViewSink {
    Q_OBJECT
public:
    explicit TDrawWindowWidget(TAppContext& app, QWidget* parent = nullptr);
    ~TDrawWindowWidget() override;

    TDocument& document() { return *document_; }
    // The crash journal: started once the paper holds what it was opened or made with (a file
    // it was read from counts as saved), told when the paper is saved.
    void startJournal(const QString& source, bool asSaved);
    void journalSaved(const QString& path);
    const TPaperJournal* journal() const { return journal_.get(); }
    TPaper& paper() { return document_->paper(); }
    // The file this window shows (empty for a new paper).
    QString path() const { return path_; }
    void setPath(const QString& path);
    QString caption() const;
    // What the paper is called: its file's name without the extension, else its title.
    QString paperName() const;
    // Modified, as closing and reloading see it: a locked paper never is.
    bool reportsModified() const { return modified && !document_->paper().locked; }

    // ---- TDrawWindow ----
    ViewSink* view() override { return this; }
    MessageSink& messages() override { return app_.messages; }
    void invalidate(bool erase) override;
    void setWaitCursor(bool on) override;
    void layersChanged() override { emit stateChanged(); }
    void previewChanged(const TRect& rect) override;
    void selectionChanged() override;
    // ---- ViewSink: a refreshed part of the display, in paper coordinates ----
    void present(const TTC& picture, const TBox& box, TPoint at) override;

    // ---- view ----
    void zoomBy(int step, QPointF around);
    void zoomIn() { zoomBy(1, rect().center()); }
    void zoomOut() { zoomBy(-1, rect().center()); }
    void zoomCancel();
    void setAntiAlias(bool on);
    void setRotation(float degrees);
    // Moves the view by window pixels.
    void scrollBy(QPointF delta);
    // Puts a paper point at the centre of the window.
    void centreOn(QPointF paperPoint);
    QPointF viewCentre() const { return centre_; }
    // The window area asked to be repainted since the last call (for measurements).
    QRect takeDirtyArea() { return std::exchange(dirtyArea_, QRect()); }

    // ---- replay ----
    // Starts playing an opened recording on the timer.
    void startReplay();
    // A replay is open and has not ended (played out, stopped or failed).
    bool replayOpen() { return document_->replaying(); }
    bool replayRunning() const { return replayTimer_.isActive() || replayPaused_; }
    bool replayPaused() const { return replayPaused_; }
    void pauseReplay(bool on);
    // Asks whether to stop; stops on Yes.
    void requestStopReplay();
    void setReplayWait(bool on);
    // Runs the whole replay now (render and viewer modes, tests).
    TReplayStep replayToEnd();

    // ---- edits from the menus ----
    // A new normal layer above the current one, made current; deleting the current layer.
    // The paper reports failures itself.
    void newLayer();
    void deleteCurrentLayer();
    bool undo() { return stepHistory(true); }
    bool redo() { return stepHistory(false); }

    // One step of the marching ants (the main window's timer): only the outline repaints.
    void stepAnts();
    // Where the ants crawl in the window (empty without a selection).
    QRect antsArea() const;

    // The tool mode changed: the cursor follows.
    void modeChanged() { updateCursor(); }
    // The pen colour at a window point (false outside the paper).
    bool colourAt(QPointF pos, bool fromLayer, uint32_t& colour);

    // ---- for the tools (ui/tools) ----
    TAppContext& app() { return app_; }
    TPenInput& penInput() { return pen_; }
    TPenView penView() { return {width(), height(), this}; }
    TModifierKeys keysOf(Qt::KeyboardModifiers modifiers) const;
    void showPosition(const TInput& input);
    // Scrolls when a drag leaves the window and the setting asks for it.
    void autoScroll(const TInput& input);
    // Picks the colour under the cursor into the pen colour or the second colour.
    void pickColour(const TInput& input, bool toSecond, bool fromLayer);
    void updateCursor();
    // A stroke began: the title stops telling how the last replay ended.
    void strokeStarted() { replayNote_.clear(); }
    // Ends a stroke in progress at a window point; true when one was ended.
    bool endStroke(QPointF pos);

signals:
    // Title, undo state, replay state or layers changed: the main window refreshes.
    void stateChanged();
    void replayFinished(qm::ui::TReplayEnd end);
    void previewImageChanged();
    // The paper's masks, the current mask or the selection's switches changed (an edit, undo,
    // redo or a replayed event): the selection window follows.
    void selectionEdited();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void tabletEvent(QTabletEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    class TRoute;

    TPressFacts pressFacts(const TInput& input) const;
    void buttonDown(Qt::MouseButton button, const TInput& input, bool doubleClick);
    void buttonMove(const TInput& input);
    void buttonUp(Qt::MouseButton button, const TInput& input);
    void applyView();
    QRectF windowRectOf(const TBox& paperBox) const;
    // Asks for a repaint of part of the window whose picture changed (the rest is kept).
    void repaintPicture(const QRect& area);
    void drawAntsInto(QImage& image, const QRect& clip) const;
    const TViewPyramid& currentPyramid();
    bool shortcutKey(QKeyEvent* event);
    bool stepHistory(bool back);
    void replayTick();
    void finishReplay(TReplayEnd end);

    TAppContext& app_;
    std::unique_ptr<TDocument> document_;
    std::unique_ptr<TPaperJournal> journal_;
    QString path_;
    QString replayNote_; // how the last replay ended, shown as the title
    TPenInput pen_;
    CToolRouter router_;
    TToolTable tools_;
    TInput lastInput_; // the latest mouse or pen event routed, where a lost drag ends

    QPointF centre_;       // the paper point at the centre of the window
    QImage viewImage_;     // the window's picture, rendered from the display
    QImage frameImage_;    // the picture with the ants, as painted
    QRegion pictureDirty_; // where viewImage_ must be rendered again
    // Halvings of the display image for the smooth view below 100 %, brought up to date before
    // such a view is rendered: the boxes presented since (paper coordinates), or all of it.
    TViewPyramid pyramid_;
    TBox pyramidDirty_{};
    bool pyramidStale_ = true;
    TBox antsBox_{};       // the current selection's content on the paper
    QRect dirtyArea_;

    bool spaceHeld_ = false;
    float lastTabletPressure_ = 0.0f;
    bool spikeDropped_ = false;
    bool tabletStroke_ = false;

    QTimer replayTimer_;
    QElapsedTimer replayClock_;
    bool replayPaused_ = false;
    bool replayWait_ = false;
};

} // namespace qm::ui
