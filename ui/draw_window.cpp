#include "ui/draw_window.h"

#include "layers/blend_mode_table.h"

#include <QApplication>
#include <QCursor>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTabletEvent>
#include <QWheelEvent>

#include <cmath>

namespace qm::ui {

namespace {

QString positionText(QPoint p)
{
    return uiText("x : %4d,   y : %4d", {QString::number(p.x()).rightJustified(4),
                                           QString::number(p.y()).rightJustified(4)});
}

} // namespace

TDrawWindowWidget::TDrawWindowWidget(TAppContext& app, QWidget* parent)
    : QWidget(parent), app_(app),
      document_(std::make_unique<TDocument>(*this, app.liveStroke, app.profile.config,
                                            app.tones.get(), app.gradations.get())),
      router_(app.modes), tools_(makeTools(*this))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_TabletTracking);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(64, 64);
    smoothZoom = app.profile.config.useZoomAntialias;
    updateCursor();
    replayTimer_.setTimerType(Qt::PreciseTimer);
    connect(&replayTimer_, &QTimer::timeout, this, &TDrawWindowWidget::replayTick);
}

TDrawWindowWidget::~TDrawWindowWidget()
{
    // Closing normally: the journal goes, and the paper may not call it while it goes.
    if (journal_ && paper().eventMngr)
        document_->events().onCommitted = nullptr;
    journal_.reset();
}

void TDrawWindowWidget::startJournal(const QString& source, bool asSaved)
{
    if (journal_ || !paper().eventMngr)
        return;
    journal_ = std::make_unique<TPaperJournal>(*document_, journalFolder(), source.toStdString());
    document_->events().onCommitted = [this] { journal_->update(); };
    if (asSaved)
        journal_->saved(source.toStdString());
    else
        journal_->update();
}

void TDrawWindowWidget::journalSaved(const QString& path)
{
    if (journal_)
        journal_->saved(path.toStdString());
}

void TDrawWindowWidget::setPath(const QString& path)
{
    path_ = path;
    paper().title = QFileInfo(path).fileName().toStdString();
    emit stateChanged();
}

QString TDrawWindowWidget::paperName() const
{
    return path_.isEmpty() ? QString::fromStdString(document_->paper().title)
                           : QFileInfo(path_).completeBaseName();
}

QString TDrawWindowWidget::caption() const
{
    if (!replayNote_.isEmpty())
        return replayNote_;
    return QString::fromStdString(document_->paper().buildTitle()) +
           (reportsModified() ? QStringLiteral(" *") : QString());
}

TModifierKeys TDrawWindowWidget::keysOf(Qt::KeyboardModifiers modifiers) const
{
    return {modifiers.testFlag(Qt::ShiftModifier), modifiers.testFlag(Qt::ControlModifier),
            modifiers.testFlag(Qt::AltModifier), spaceHeld_};
}

// ---- mouse and tablet routing ----

// Runs the routed slots on the current mode's tool with one input event.
class TDrawWindowWidget::TRoute : public TToolTarget {
public:
    TRoute(TDrawWindowWidget& window, const TInput& input) : window_(window), input_(input) {}
    void callSlot(TModeSlot slot) override
    {
        const uint8_t mode = window_.app_.modes.mode;
        if (mode < window_.tools_.size() && window_.tools_[mode])
            window_.tools_[mode]->handle(slot, input_);
    }
    void pickColourNow(bool fromLayer) override { window_.pickColour(input_, false, fromLayer); }

private:
    TDrawWindowWidget& window_;
    const TInput& input_;
};

namespace {

TMouseButton buttonOf(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton: return TMouseButton::left;
    case Qt::RightButton: return TMouseButton::right;
    case Qt::MiddleButton: return TMouseButton::middle;
    default: return TMouseButton::other;
    }
}

} // namespace

TPressFacts TDrawWindowWidget::pressFacts(const TInput& input) const
{
    TPressFacts facts;
    facts.keys = keysOf(input.modifiers);
    facts.playing = playback != TPlayback::none;
    facts.middleButtonSetting = app_.profile.config.mouseMBtnFunc;
    // A plain press on the selection with a selection tool moves the selection; with Shift or
    // Ctrl the press starts an area that combines with it.
    TPaper& p = document_->paper();
    facts.hasSelection = p.hasSelection() && p.selectionActive;
    if (facts.hasSelection && !(input.modifiers & (Qt::ShiftModifier | Qt::ControlModifier))) {
        const TPointF at = p.windowToPaper(width(), height(), float(input.pos.x()),
                                           float(input.pos.y()));
        const CMaskData* mask = p.masks->CurrentMask();
        facts.overSelection = mask && mask->ValueAt(int32_t(std::floor(at.x)),
                                                    int32_t(std::floor(at.y))) > 0;
    }
    return facts;
}

void TDrawWindowWidget::buttonDown(Qt::MouseButton button, const TInput& input, bool doubleClick)
{
    lastInput_ = input;
    TRoute route(*this, input);
    router_.buttonDown(buttonOf(button), pressFacts(input), doubleClick, route);
}

void TDrawWindowWidget::buttonMove(const TInput& input)
{
    lastInput_ = input;
    TRoute route(*this, input);
    router_.buttonMove(route);
}

void TDrawWindowWidget::buttonUp(Qt::MouseButton button, const TInput& input)
{
    lastInput_ = input;
    TRoute route(*this, input);
    router_.buttonUp(buttonOf(button),
                     QApplication::mouseButtons() == Qt::NoButton || input.fromTablet, route);
}

void TDrawWindowWidget::mousePressEvent(QMouseEvent* event)
{
    // While a pen is near the tablet it drives the canvas; mouse presses (Qt's synthesised
    // ones included) would start a second stroke.
    if (app_.penNear())
        return;
    setFocus(Qt::MouseFocusReason);
    buttonDown(event->button(), {event->position(), 1.0f, event->modifiers()}, false);
}

void TDrawWindowWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (app_.penNear())
        return;
    buttonDown(event->button(), {event->position(), 1.0f, event->modifiers()}, true);
}

void TDrawWindowWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (app_.penNear() && !router_.leftDragging())
        return;
    if (tabletStroke_)
        return;
    buttonMove({event->position(), 1.0f, event->modifiers()});
}

void TDrawWindowWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (tabletStroke_)
        return;
    buttonUp(event->button(), {event->position(), 1.0f, event->modifiers()});
}

void TDrawWindowWidget::tabletEvent(QTabletEvent* event)
{
    // With the tablet switched off in the settings the pen works as a mouse: left unaccepted,
    // Qt turns the event into mouse events.
    if (app_.profile.config.ignoreTablet) {
        event->ignore();
        return;
    }
    // Accepted, so Qt makes no mouse event of it.
    event->accept();
    app_.tabletInProximity = true;
    app_.lastTabletEvent = QDateTime::currentMSecsSinceEpoch();
    float pressure = float(std::clamp(event->pressure(), 0.0, 1.0));
    const TInput input{event->position(), pressure, event->modifiers(), true};
    switch (event->type()) {
    case QEvent::TabletPress:
        if (event->button() != Qt::LeftButton) {
            buttonDown(event->button(), input, false);
            return;
        }
        spikeDropped_ = false;
        lastTabletPressure_ = pressure;
        if (event->pointerType() == QPointingDevice::PointerType::Eraser &&
            app_.liveStroke.kind != uint8_t(TBrushKind::eraser) && playback == TPlayback::none) {
            app_.kindBeforeEraser = app_.liveStroke.kind;
            app_.liveStroke.setKind(int32_t(TBrushKind::eraser));
            if (app_.strokeChanged)
                app_.strokeChanged();
        }
        tabletStroke_ = true;
        setFocus(Qt::OtherFocusReason);
        buttonDown(Qt::LeftButton, input, false);
        return;
    case QEvent::TabletMove:
        if (app_.tabletDropFullSpike && tabletStroke_ && !spikeDropped_ && pressure >= 1.0f &&
            lastTabletPressure_ < 0.5f) {
            spikeDropped_ = true;
            return;
        }
        lastTabletPressure_ = pressure;
        buttonMove(input);
        return;
    case QEvent::TabletRelease:
        if (event->button() != Qt::LeftButton) {
            buttonUp(event->button(), input);
            return;
        }
        tabletStroke_ = false;
        buttonUp(Qt::LeftButton, input);
        return;
    default: return;
    }
}

void TDrawWindowWidget::focusOutEvent(QFocusEvent* event)
{
    // Losing the window ends a drag as a release where the cursor last was: a stroke ends at
    // its last point.
    TRoute route(*this, lastInput_);
    router_.inputLost(route);
    if (strokeInProgress) // a stroke without a drag the router knew of ends there too
        endStroke(lastInput_.pos);
    tabletStroke_ = false;
    QWidget::focusOutEvent(event);
}

// ---- cursor ----

void TDrawWindowWidget::updateCursor()
{
    const TModifierKeys keys = keysOf(QApplication::keyboardModifiers());
    uint8_t mode = app_.modes.mode;
    int32_t submode = app_.modes.submode();
    const TTemporaryMode temporary = temporaryModeFor(keys, mode, submode, false, false);
    if (temporary.kind == TTemporaryKind::switchMode) {
        mode = temporary.mode;
        submode = temporary.submode;
    }
    Qt::CursorShape shape = Qt::CrossCursor;
    if (temporary.kind == TTemporaryKind::pickColour || mode == 2)
        shape = Qt::PointingHandCursor;
    else if (mode == 1)
        shape = Qt::SizeAllCursor;
    else if (mode == 3)
        shape = submode == 0 ? (router_.leftDragging() ? Qt::ClosedHandCursor : Qt::OpenHandCursor)
                : submode == 1 ? Qt::SizeBDiagCursor
                               : Qt::SizeHorCursor;
    setCursor(shape);
}

// ---- pen ----

bool TDrawWindowWidget::endStroke(QPointF pos)
{
    const bool ended = pen_.penUp(paper(), document_->flow(), paper().currentStroke(), penView(),
                                  float(pos.x()), float(pos.y()));
    if (ended)
        emit stateChanged();
    return ended;
}

void TDrawWindowWidget::showPosition(const TInput& input)
{
    const TPointF p = paper().windowToPaper(width(), height(), float(input.pos.x()),
                                            float(input.pos.y()));
    if (app_.showStatus)
        app_.showStatus(positionText({int(std::floor(p.x)), int(std::floor(p.y))}));
}

// ---- colour ----

bool TDrawWindowWidget::colourAt(QPointF pos, bool fromLayer, uint32_t& colour)
{
    TPaper& p = paper();
    const TPointF at = p.windowToPaper(width(), height(), float(pos.x()), float(pos.y()));
    const int32_t x = int32_t(std::floor(at.x)), y = int32_t(std::floor(at.y));
    if (x < 0 || y < 0 || x >= p.width || y >= p.height || !p.displayImage.IsValid())
        return false;
    if (fromLayer) {
        CLayerData* layer = p.currentLayer();
        if (!layer || !layer->image())
            return false;
        colour = layer->image()->GetPixelOrDefault(x + layer->offsetX, y + layer->offsetY) & 0xFFFFFF;
        return true;
    }
    colour = p.displayImage.pixel(x, y) & 0xFFFFFF;
    return true;
}

void TDrawWindowWidget::pickColour(const TInput& input, bool toSecond, bool fromLayer)
{
    if (strokeInProgress)
        return;
    uint32_t colour = 0;
    if (!colourAt(input.pos, fromLayer, colour))
        return;
    // The colour manager is told only when the colour differs.
    if ((toSecond ? app_.colours->secondColor() : app_.colours->mainColor()) != colour)
        app_.colours->setColor(colour, kColourSourceWindow, !toSecond);
}

void TDrawWindowWidget::autoScroll(const TInput& input)
{
    if (!app_.profile.config.useAutoScroll)
        return;
    const QPointF p = input.pos;
    QPointF outside(p.x() < 0 ? p.x() : p.x() > width() ? p.x() - width() : 0.0,
                    p.y() < 0 ? p.y() : p.y() > height() ? p.y() - height() : 0.0);
    if (outside.isNull())
        return;
    scrollBy(outside);
    // The cursor moves back by as much, so it stays over the same paper point.
    QCursor::setPos(QCursor::pos() - outside.toPoint());
}

// ---- keys ----

bool TDrawWindowWidget::shortcutKey(QKeyEvent* event)
{
    const Qt::KeyboardModifiers m = event->modifiers() & ~Qt::KeypadModifier;
    const bool ctrl = m.testFlag(Qt::ControlModifier);
    const bool playing = playback != TPlayback::none;
    switch (event->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        // With a selection its area takes the paper colour; without one the layer is cleared.
        if (playing || m != Qt::NoModifier || strokeInProgress)
            return false;
        if (paper().hasSelection())
            paper().fillWholeLayer(document_->flow(), app_.liveStroke, true,
                                   areaFillEvent::clearSelection);
        else
            paper().clearLayer(document_->flow(), paper().currentLayerIndex(), true);
        emit stateChanged();
        return true;
    case Qt::Key_Insert: {
        if (playing || m != Qt::NoModifier || strokeInProgress)
            return false;
        // At the area fill's opacity (the Fill Shape button's).
        const TToolOpacity opacity(app_.liveStroke, app_.profile.toolOpacity(11));
        paper().fillWholeLayer(document_->flow(), app_.liveStroke, true, areaFillEvent::wholeLayer);
        emit stateChanged();
        return true;
    }
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        if (!ctrl)
            return false;
        zoomIn();
        return true;
    case Qt::Key_F5:
        zoomIn();
        return true;
    case Qt::Key_Minus:
        if (!ctrl)
            return false;
        zoomOut();
        return true;
    case Qt::Key_F6:
        if (ctrl)
            return false; // the main window switches windows
        zoomOut();
        return true;
    default: break;
    }
    return false;
}

void TDrawWindowWidget::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat())
        spaceHeld_ = true;
    if (!event->isAutoRepeat() && shortcutKey(event)) {
        updateCursor();
        return;
    }
    TInput input{mapFromGlobal(QCursor::pos()), 1.0f, event->modifiers()};
    input.key = event->key();
    TRoute route(*this, input);
    router_.keyDown(route);
    updateCursor();
    if (event->key() != Qt::Key_Space)
        QWidget::keyPressEvent(event);
}

void TDrawWindowWidget::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat())
        spaceHeld_ = false;
    updateCursor();
    QWidget::keyReleaseEvent(event);
}

void TDrawWindowWidget::wheelEvent(QWheelEvent* event)
{
    const QPoint steps = event->angleDelta() / 120;
    if (event->modifiers().testFlag(Qt::ControlModifier)) {
        if (steps.y() != 0)
            zoomBy(steps.y() > 0 ? 1 : -1, event->position());
    } else if (event->modifiers().testFlag(Qt::ShiftModifier)) {
        scrollBy(QPointF(-event->angleDelta().y(), 0) / 2.0);
    } else {
        scrollBy(QPointF(-event->angleDelta().x(), -event->angleDelta().y()) / 2.0);
    }
    event->accept();
}

// ---- undo ----

void TDrawWindowWidget::newLayer()
{
    TPaper& p = paper();
    p.createLayer(document_->flow(), p.currentLayerIndex() + 1, p.width, p.height, true, 255,
                  uint8_t(BlendMode::Normal), true);
    emit stateChanged();
}

void TDrawWindowWidget::deleteCurrentLayer()
{
    paper().deleteLayer(document_->flow(), paper().currentLayerIndex(), true);
    emit stateChanged();
}

bool TDrawWindowWidget::stepHistory(bool back)
{
    int32_t layer = paper().currentLayerIndex();
    TRect rect;
    const int32_t width = paper().width, height = paper().height;
    const bool done = back ? paper().undo(document_->flow(), layer, rect)
                           : paper().redo(document_->flow(), layer, rect);
    // A canvas size, crop or turn taken back: the view goes to the paper's new middle.
    if (paper().width != width || paper().height != height)
        centreOn(QPointF(paper().width / 2.0, paper().height / 2.0));
    emit stateChanged();
    return done;
}

} // namespace qm::ui
