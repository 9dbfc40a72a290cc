// The drawing window: shows one paper at any zoom and rotation and turns mouse, tablet and key
// input into calls on it. It owns its document (paper, flow image, recorder); the rules it
// follows (tool modes, temporary modes, pen input, view rendering) live in the engine.
#pragma once

#include "app/document.h"
#include "paper/pen_input.h"
#include "ui/app_context.h"

#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <QWidget>

#include <array>
#include <memory>
#include <utility>

namespace qm::ui {

// One input event as the mode handlers see it: mouse or tablet alike.
struct TInput {
    QPointF pos;            // client coordinates, sub-pixel for a tablet
    float pressure = 1.0f;  // 1.0 for the mouse
    Qt::KeyboardModifiers modifiers;
    bool fromTablet = false;
    int key = 0;            // slot 9
};

class TDrawWindowWidget : public QWidget, public TDrawWindow, public ViewSink {
    Q_OBJECT
public:
    explicit TDrawWindowWidget(TAppContext& app, QWidget* parent = nullptr);
    ~TDrawWindowWidget() override;

    TDocument& document() { return *document_; }
    TPaper& paper() { return document_->paper(); }
    // The file this window shows (empty for a new paper).
    QString path() const { return path_; }
    void setPath(const QString& path);
    QString caption() const;

    // ---- TDrawWindow ----
    ViewSink* view() override { return this; }
    MessageSink& messages() override { return app_.messages; }
    void invalidate(bool erase) override;
    void setWaitCursor(bool on) override;
    void layersChanged() override { emit stateChanged(); }
    void previewChanged(const TRect& rect) override;
    void selectionChanged() override { update(); }
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

    // The tool mode changed: the cursor follows.
    void modeChanged() { updateCursor(); }
    // The pen colour at a window point (false outside the paper).
    bool colourAt(QPointF pos, bool fromLayer, uint32_t& colour);

signals:
    // Title, undo state, replay state or layers changed: the main window refreshes.
    void stateChanged();
    void replayFinished(bool completed);
    void previewImageChanged();

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
    using THandler = void (TDrawWindowWidget::*)(const TInput&);
    enum : uint32_t {
        kLeftDrag = 1u << 0,
        kRightDrag = 1u << 1,
        kMiddleDrag = 1u << 2,
        kBlocked = 1u << 5,
        kTemporaryMode = 1u << 8,
    };

    void buildHandlerTables();
    void call(int slot, const TInput& input);
    void buttonDown(Qt::MouseButton button, const TInput& input, bool doubleClick);
    void buttonMove(const TInput& input);
    void buttonUp(Qt::MouseButton button, const TInput& input);
    TModifierKeys keysOf(Qt::KeyboardModifiers modifiers) const;
    void modeTemporarily(uint8_t mode, int32_t submode);
    void restoreMode();
    void updateCursor();
    void applyView();
    TPenView penView() { return {width(), height(), this}; }
    QRectF windowRectOf(const TBox& paperBox) const;
    void autoScroll(const TInput& input);
    void showPosition(const TInput& input);
    void pickColour(const TInput& input, bool toSecond, bool fromLayer);
    bool shortcutKey(QKeyEvent* event);
    bool stepHistory(bool back);
    void replayTick();
    void finishReplay(bool completed);

    // ---- mode handlers ----
    void penDown(const TInput& input);
    void penDrag(const TInput& input);
    void penUp(const TInput& input);
    void penRightDown(const TInput& input);
    void hover(const TInput& input);
    void zoomClick(const TInput& input);
    void pickerDown(const TInput& input);
    void pickerRightDown(const TInput& input);
    void pickerHover(const TInput& input);
    void viewDown(const TInput& input);
    void viewDrag(const TInput& input);
    void viewUp(const TInput& input);
    void leaveMode(const TInput& input);

    TAppContext& app_;
    std::unique_ptr<TDocument> document_;
    QString path_;
    QString replayNote_; // how the last replay ended, shown as the title
    TPenInput pen_;
    std::array<std::array<THandler, 13>, 10> handlers_{};

    QPointF centre_;       // the paper point at the centre of the window
    QImage viewImage_;     // the window's picture, rendered from the display
    QRect dirtyArea_;

    uint32_t buttonFlags_ = 0;
    uint8_t savedMode_ = 0;
    int32_t savedSubmode_ = 0;
    bool spaceHeld_ = false;
    Qt::MouseButton rightPick_ = Qt::NoButton;
    QPointF dragStart_, dragLast_;
    float dragStartAngle_ = 0.0f, dragStartWidth_ = 0.0f;
    float lastTabletPressure_ = 0.0f;
    bool spikeDropped_ = false;
    bool tabletStroke_ = false;

    QTimer replayTimer_;
    QElapsedTimer replayClock_;
    bool replayPaused_ = false;
    bool replayWait_ = false;
};

} // namespace qm::ui
