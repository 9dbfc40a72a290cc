#include "ui/draw_window.h"

#include "core/view_render.h"
#include "layers/blend_mode_table.h"
#include "events/event_texts.h"

#include <QApplication>
#include <QCursor>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTabletEvent>
#include <QWheelEvent>

#include <cmath>

namespace qm::ui {

namespace {

constexpr uint32_t kBackground = 0xFF808080u;
constexpr int kReplaySliceMs = 12; // replay work per timer tick, so the window stays responsive

QString positionText(QPoint p)
{
    return uiText("x : %4d,   y : %4d", {QString::number(p.x()).rightJustified(4),
                                           QString::number(p.y()).rightJustified(4)});
}

} // namespace

TDrawWindowWidget::TDrawWindowWidget(TAppContext& app, QWidget* parent)
    : QWidget(parent), app_(app),
      document_(std::make_unique<TDocument>(*this, app.liveStroke, app.profile.config))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_TabletTracking);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(64, 64);
    smoothZoom = app.profile.config.useZoomAntialias;
    buildHandlerTables();
    updateCursor();
    replayTimer_.setTimerType(Qt::PreciseTimer);
    connect(&replayTimer_, &QTimer::timeout, this, &TDrawWindowWidget::replayTick);
}

TDrawWindowWidget::~TDrawWindowWidget() = default;

void TDrawWindowWidget::setPath(const QString& path)
{
    path_ = path;
    paper().title = QFileInfo(path).fileName().toStdString();
    emit stateChanged();
}

QString TDrawWindowWidget::caption() const
{
    if (!replayNote_.isEmpty())
        return replayNote_;
    return QString::fromStdString(document_->paper().buildTitle()) +
           (modified ? QStringLiteral(" *") : QString());
}

// ---- the handler tables ----

void TDrawWindowWidget::buildHandlerTables()
{
    auto& pen = handlers_[0];
    pen[0] = &TDrawWindowWidget::penDown;
    pen[1] = &TDrawWindowWidget::penDrag;
    pen[2] = &TDrawWindowWidget::penUp;
    pen[4] = &TDrawWindowWidget::penRightDown;
    pen[8] = &TDrawWindowWidget::hover;
    handlers_[1][0] = &TDrawWindowWidget::zoomClick;
    auto& picker = handlers_[2];
    picker[0] = &TDrawWindowWidget::pickerDown;
    picker[4] = &TDrawWindowWidget::pickerRightDown;
    picker[8] = &TDrawWindowWidget::pickerHover;
    auto& view = handlers_[3];
    view[0] = &TDrawWindowWidget::viewDown;
    view[1] = &TDrawWindowWidget::viewDrag;
    view[2] = &TDrawWindowWidget::viewUp;
    // Modes 4 … 9 carry out fills, layer moves, shapes, selections and text; until those
    // operations exist their handlers show the position and do nothing else.
    for (size_t mode = 4; mode < handlers_.size(); ++mode)
        handlers_[mode][8] = &TDrawWindowWidget::hover;
    for (auto& table : handlers_)
        table[12] = &TDrawWindowWidget::leaveMode;
}

void TDrawWindowWidget::call(int slot, const TInput& input)
{
    const uint8_t mode = app_.modes.mode;
    if (mode >= handlers_.size() || !CModeMngr::slotFilled(mode, TModeSlot(slot)))
        return;
    if (const THandler handler = handlers_[mode][size_t(slot)])
        (this->*handler)(input);
}

TModifierKeys TDrawWindowWidget::keysOf(Qt::KeyboardModifiers modifiers) const
{
    return {modifiers.testFlag(Qt::ShiftModifier), modifiers.testFlag(Qt::ControlModifier),
            modifiers.testFlag(Qt::AltModifier), spaceHeld_};
}

// ---- mouse and tablet routing ----

void TDrawWindowWidget::buttonDown(Qt::MouseButton button, const TInput& input, bool doubleClick)
{
    if (buttonFlags_ & kBlocked)
        return;
    // A pending drag of another button is closed first.
    if (!doubleClick && (buttonFlags_ & (kLeftDrag | kRightDrag | kMiddleDrag))) {
        if (buttonFlags_ & kLeftDrag)
            buttonUp(Qt::LeftButton, input);
        else if (buttonFlags_ & kRightDrag)
            buttonUp(Qt::RightButton, input);
        else
            buttonUp(Qt::MiddleButton, input);
    }
    const bool playing = playback != TPlayback::none;
    if (button == Qt::LeftButton) {
        if (doubleClick) {
            call(3, input);
            return;
        }
        const TTemporaryMode temporary =
            temporaryModeFor(keysOf(input.modifiers), app_.modes.mode, app_.modes.submode(),
                             false, false);
        if (temporary.kind == TTemporaryKind::pickColour) {
            pickColour(input, false, input.modifiers.testFlag(Qt::ControlModifier));
            buttonFlags_ |= kBlocked;
            return;
        }
        if (temporary.kind == TTemporaryKind::switchMode)
            modeTemporarily(temporary.mode, temporary.submode);
        if (playing && CModeMngr::isEditing(app_.modes.mode)) {
            restoreMode();
            return;
        }
        buttonFlags_ |= kLeftDrag;
        call(0, input);
    } else if (button == Qt::RightButton) {
        if (buttonFlags_ & kLeftDrag)
            return;
        if (playing && CModeMngr::isEditing(app_.modes.mode) && app_.modes.mode != 0)
            return;
        buttonFlags_ |= kRightDrag;
        call(doubleClick ? 7 : 4, input);
    } else if (button == Qt::MiddleButton && !doubleClick) {
        const TModeChoice choice = CModeMngr::middleButtonMode(app_.profile.config.mouseMBtnFunc);
        modeTemporarily(choice.mode, choice.submode);
        if (playing && CModeMngr::isEditing(app_.modes.mode)) {
            restoreMode();
            return;
        }
        buttonFlags_ |= kMiddleDrag;
        call(0, input);
    }
}

void TDrawWindowWidget::buttonMove(const TInput& input)
{
    if (buttonFlags_ & kBlocked)
        return;
    if (buttonFlags_ & (kLeftDrag | kMiddleDrag))
        call(1, input);
    else if (buttonFlags_ & kRightDrag)
        call(5, input);
    else
        call(8, input);
}

void TDrawWindowWidget::buttonUp(Qt::MouseButton button, const TInput& input)
{
    if (buttonFlags_ & kBlocked) {
        if (QApplication::mouseButtons() == Qt::NoButton || input.fromTablet)
            buttonFlags_ &= ~kBlocked;
        return;
    }
    if (button == Qt::LeftButton && (buttonFlags_ & kLeftDrag)) {
        call(2, input);
        buttonFlags_ &= ~kLeftDrag;
    } else if (button == Qt::MiddleButton && (buttonFlags_ & kMiddleDrag)) {
        call(2, input);
        buttonFlags_ &= ~kMiddleDrag;
    } else if (button == Qt::RightButton && (buttonFlags_ & kRightDrag)) {
        call(6, input);
        buttonFlags_ &= ~kRightDrag;
    }
    restoreMode();
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
    if (app_.penNear() && (buttonFlags_ & kLeftDrag) == 0)
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
    // Losing the window ends a stroke in progress.
    if (strokeInProgress && app_.modes.mode == 0)
        pen_.penUp(paper(), document_->flow(), paper().currentStroke(), penView(),
                   float(width() / 2), float(height() / 2));
    buttonFlags_ &= ~(kLeftDrag | kRightDrag | kMiddleDrag);
    tabletStroke_ = false;
    restoreMode();
    QWidget::focusOutEvent(event);
}

// ---- temporary modes ----

void TDrawWindowWidget::modeTemporarily(uint8_t mode, int32_t submode)
{
    if (buttonFlags_ & kTemporaryMode)
        return;
    savedMode_ = app_.modes.mode;
    savedSubmode_ = app_.modes.submode();
    buttonFlags_ |= kTemporaryMode;
    app_.modes.switchMode(mode, submode);
}

void TDrawWindowWidget::restoreMode()
{
    if ((buttonFlags_ & kTemporaryMode) == 0)
        return;
    buttonFlags_ &= ~kTemporaryMode;
    app_.modes.switchMode(savedMode_, savedSubmode_);
}

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
        shape = submode == 0 ? ((buttonFlags_ & kLeftDrag) ? Qt::ClosedHandCursor : Qt::OpenHandCursor)
                : submode == 1 ? Qt::SizeBDiagCursor
                               : Qt::SizeHorCursor;
    setCursor(shape);
}

// ---- pen ----

void TDrawWindowWidget::penDown(const TInput& input)
{
    const bool modifier = modifiersRefuseStroke(keysOf(input.modifiers | QApplication::keyboardModifiers()));
    if (pen_.penMove(paper(), document_->flow(), paper().currentStroke(), penView(), modifier,
                     float(input.pos.x()), float(input.pos.y()), input.pressure) == TPenMove::started)
        replayNote_.clear();
    emit stateChanged();
}

void TDrawWindowWidget::penDrag(const TInput& input)
{
    showPosition(input);
    if (!strokeInProgress)
        return;
    pen_.penMove(paper(), document_->flow(), paper().currentStroke(), penView(), false,
                 float(input.pos.x()), float(input.pos.y()), input.pressure);
    autoScroll(input);
}

void TDrawWindowWidget::penUp(const TInput& input)
{
    if (pen_.penUp(paper(), document_->flow(), paper().currentStroke(), penView(),
                   float(input.pos.x()), float(input.pos.y())))
        emit stateChanged();
    showPosition(input);
}

void TDrawWindowWidget::penRightDown(const TInput& input)
{
    if (app_.profile.config.useRBtnColPicker)
        pickColour(input, input.modifiers.testFlag(Qt::ShiftModifier), false);
}

void TDrawWindowWidget::hover(const TInput& input) { showPosition(input); }

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

void TDrawWindowWidget::pickerDown(const TInput& input)
{
    pickColour(input, false, input.modifiers.testFlag(Qt::ControlModifier));
}

void TDrawWindowWidget::pickerRightDown(const TInput& input)
{
    pickColour(input, true, input.modifiers.testFlag(Qt::ControlModifier));
}

void TDrawWindowWidget::pickerHover(const TInput& input)
{
    uint32_t c = 0;
    if (!colourAt(input.pos, false, c) || !app_.showStatus)
        return;
    const int r = int(c >> 16 & 0xFF), g = int(c >> 8 & 0xFF), b = int(c & 0xFF);
    const QColor hsv = QColor(r, g, b).toHsv();
    app_.showStatus(uiText("r : %d,  g : %d,  b : %d",
                           {QString::number(r), QString::number(g), QString::number(b)}) +
                    QStringLiteral("    ") +
                    uiText("h : %d,  s : %d,  v : %d",
                           {QString::number(std::max(0, hsv.hue())),
                            QString::number(hsv.saturation()), QString::number(hsv.value())}));
}

// ---- zoom and view tools ----

void TDrawWindowWidget::zoomClick(const TInput& input)
{
    zoomBy(app_.modes.submode() == 0 ? 1 : -1, input.pos);
}

void TDrawWindowWidget::viewDown(const TInput& input)
{
    dragStart_ = dragLast_ = input.pos;
    dragStartAngle_ = paper().rotationDeg;
    dragStartWidth_ = app_.liveStroke.width;
    updateCursor();
}

void TDrawWindowWidget::viewDrag(const TInput& input)
{
    if (input.pos == dragLast_)
        return;
    const QPointF previous = dragLast_;
    dragLast_ = input.pos;
    switch (app_.modes.submode()) {
    case 0: scrollBy(previous - input.pos); break;
    case 1: {
        // The angle swept around the window's centre since the drag began.
        const QPointF c(width() / 2.0, height() / 2.0);
        const QPointF a = dragStart_ - c, b = input.pos - c;
        const double swept = std::atan2(a.x() * b.y() - a.y() * b.x(), a.x() * b.x() + a.y() * b.y());
        setRotation(dragStartAngle_ - float(swept * 180.0 / M_PI));
        break;
    }
    case 2: {
        const float width = dragStartWidth_ +
                            float(input.pos.x() - dragStart_.x()) / paper().zoomScale() / 2.0f;
        if (width >= 0.1f && width <= 200.0f) {
            app_.liveStroke.setWidth(width);
            if (app_.strokeChanged)
                app_.strokeChanged();
            if (app_.showStatus)
                app_.showStatus(QStringLiteral("%1 px").arg(double(width), 0, 'f', 1));
        }
        break;
    }
    default: break;
    }
}

void TDrawWindowWidget::viewUp(const TInput& /*input*/) { updateCursor(); }

void TDrawWindowWidget::leaveMode(const TInput& /*input*/) {}

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

// ---- view ----

void TDrawWindowWidget::applyView()
{
    TPaper& p = paper();
    const float s = p.zoomScale();
    p.scrollX = p.scrollY = 0;
    p.viewOriginX = int32_t(std::lround(width() / 2.0 - centre_.x() * s));
    p.viewOriginY = int32_t(std::lround(height() / 2.0 - centre_.y() * s));
    p.rotCenterX = float(centre_.x());
    p.rotCenterY = float(centre_.y());
}

void TDrawWindowWidget::centreOn(QPointF paperPoint)
{
    centre_ = paperPoint;
    applyView();
    update();
    emit stateChanged();
}

void TDrawWindowWidget::scrollBy(QPointF delta)
{
    const float s = paper().zoomScale();
    const TPaper& p = paper();
    // Window movement turned into paper movement (the view may be rotated).
    const double dx = delta.x() / s, dy = delta.y() / s;
    QPointF c = centre_ + QPointF(p.rotCos * dx - p.rotSin * dy, p.rotSin * dx + p.rotCos * dy);
    c.setX(std::clamp(c.x(), 0.0, double(std::max(1, p.width))));
    c.setY(std::clamp(c.y(), 0.0, double(std::max(1, p.height))));
    centreOn(c);
}

void TDrawWindowWidget::zoomBy(int step, QPointF around)
{
    TPaper& p = paper();
    if ((step > 0 && !p.canZoomIn()) || (step < 0 && !p.canZoomOut()))
        return;
    const TPointF fixed = p.windowToPaper(width(), height(), float(around.x()), float(around.y()));
    p.zoomLevel += step;
    applyView();
    // Keep the paper point under the cursor where it was.
    const TPointF now = p.windowToPaper(width(), height(), float(around.x()), float(around.y()));
    centre_ += QPointF(fixed.x - now.x, fixed.y - now.y);
    centreOn(centre_);
}

void TDrawWindowWidget::zoomCancel()
{
    paper().zoomLevel = 0;
    setRotation(0.0f);
    centreOn(QPointF(paper().width / 2.0, paper().height / 2.0));
}

void TDrawWindowWidget::setAntiAlias(bool on)
{
    smoothZoom = on;
    update();
}

void TDrawWindowWidget::setRotation(float degrees)
{
    degrees = std::remainder(degrees, 360.0f);
    paper().setRotationDegrees(degrees);
    applyView();
    update();
}

void TDrawWindowWidget::resizeEvent(QResizeEvent* event)
{
    if (paper().width > 0 && centre_.isNull())
        centre_ = QPointF(paper().width / 2.0, paper().height / 2.0);
    applyView();
    QWidget::resizeEvent(event);
}

QRectF TDrawWindowWidget::windowRectOf(const TBox& box) const
{
    const TPaper& p = document_->paper();
    const float xs[2] = {float(box.x), float(box.x + box.width)};
    const float ys[2] = {float(box.y), float(box.y + box.height)};
    float left = 1e9f, top = 1e9f, right = -1e9f, bottom = -1e9f;
    for (float x : xs)
        for (float y : ys) {
            const TPointF w = p.paperToWindow(width(), height(), x, y);
            left = std::min(left, w.x);
            right = std::max(right, w.x);
            top = std::min(top, w.y);
            bottom = std::max(bottom, w.y);
        }
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

void TDrawWindowWidget::present(const TTC& /*picture*/, const TBox& box, TPoint /*at*/)
{
    // Only the part of the window that shows the box is repainted, from the display image.
    const QRect dirty = windowRectOf(box).toAlignedRect().adjusted(-1, -1, 1, 1) & rect();
    if (dirty.isEmpty())
        return;
    dirtyArea_ |= dirty;
    update(dirty);
}

void TDrawWindowWidget::invalidate(bool /*erase*/)
{
    if (centre_.isNull() && paper().width > 0)
        centre_ = QPointF(paper().width / 2.0, paper().height / 2.0);
    applyView();
    update();
    emit stateChanged();
}

void TDrawWindowWidget::setWaitCursor(bool on)
{
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TDrawWindowWidget::previewChanged(const TRect& /*rect*/) { emit previewImageChanged(); }

void TDrawWindowWidget::paintEvent(QPaintEvent* event)
{
    if (viewImage_.size() != size())
        viewImage_ = QImage(size(), QImage::Format_RGB32);
    QPainter painter(this);
    const TPaper& p = paper();
    const TViewTarget target{reinterpret_cast<uint32_t*>(viewImage_.bits()), viewImage_.width(),
                             viewImage_.height(), viewImage_.bytesPerLine() / 4};
    const TPointF centre = p.windowToPaper(width(), height(), width() * 0.5f, height() * 0.5f);
    for (const QRect& r : event->region()) {
        const TBox box{r.x(), r.y(), r.width(), r.height()};
        if (!p.displayImage.IsValid() || p.width <= 0) {
            viewImage_.fill(QColor::fromRgba(kBackground));
        } else if (p.plainCopy()) {
            RenderPlainView(target, p.displayImage, kBackground, p.zoomScale(), p.rotation, box,
                            centre);
        } else {
            RenderRotatedView(target, p.displayImage, kBackground, p.zoomScale(), p.rotation, box,
                              centre);
        }
        painter.drawImage(r, viewImage_, r);
    }
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
        if (playing || m != Qt::NoModifier || strokeInProgress)
            return false;
        paper().clearLayer(document_->flow(), paper().currentLayerIndex(), true);
        emit stateChanged();
        return true;
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
    call(9, input);
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
    const bool done = back ? paper().undo(document_->flow(), layer, rect)
                           : paper().redo(document_->flow(), layer, rect);
    emit stateChanged();
    return done;
}

// ---- replay ----

void TDrawWindowWidget::startReplay()
{
    replayPaused_ = false;
    replayClock_.start();
    replayTimer_.start(replayWait_ ? int(kWaitStepMs) : 0);
    emit stateChanged();
}

void TDrawWindowWidget::pauseReplay(bool on)
{
    if (!document_->replaying())
        return;
    replayPaused_ = on;
    if (on) {
        replayTimer_.stop();
        if (QWidget* top = parentWidget())
            top->setWindowTitle(QString::fromStdString(
                replayTitle(paper().buildTitle(), TReplayTitle::paused, document_->replayProgress(),
                            uint32_t(replayClock_.elapsed()), translatedText)));
    } else {
        replayTimer_.start(replayWait_ ? int(kWaitStepMs) : 0);
    }
    emit stateChanged();
}

void TDrawWindowWidget::setReplayWait(bool on)
{
    replayWait_ = on;
    if (!document_->legacyRecording() && paper().eventMngr)
        document_->events().setWaitMode(on);
    if (replayTimer_.isActive())
        replayTimer_.start(on ? int(document_->legacyRecording() ? kLegacyWaitStepMs : kWaitStepMs)
                              : 0);
}

void TDrawWindowWidget::requestStopReplay()
{
    if (!document_->replaying())
        return;
    const bool wasRunning = replayTimer_.isActive();
    replayTimer_.stop();
    if (confirm(uiText(kStopReplayQuestion)))
        finishReplay(false);
    else if (wasRunning)
        replayTimer_.start();
}

void TDrawWindowWidget::replayTick()
{
    QElapsedTimer slice;
    slice.start();
    do {
        const TReplayStep step = document_->replayStep();
        if (step == TReplayStep::end || step == TReplayStep::error) {
            finishReplay(step == TReplayStep::end);
            return;
        }
        if (step == TReplayStep::idle || replayWait_)
            break;
    } while (slice.elapsed() < kReplaySliceMs);
    if (QWidget* top = parentWidget())
        top->setWindowTitle(uiText("%s : ｲﾍﾞﾝﾄ再生 %d%%",
                                   {QString::fromStdString(paper().buildTitle()),
                                    QString::number(document_->replayProgress())}));
}

TReplayStep TDrawWindowWidget::replayToEnd()
{
    TReplayStep step;
    while ((step = document_->replayStep()) == TReplayStep::more) {
    }
    finishReplay(step == TReplayStep::end);
    return step;
}

void TDrawWindowWidget::finishReplay(bool completed)
{
    replayTimer_.stop();
    replayPaused_ = false;
    const bool legacy = document_->legacyRecording();
    bool appending = false;
    if (!legacy && paper().eventMngr) {
        document_->events().finishOpenStroke(document_->flow());
        appending = document_->events().switchToAppend();
    }
    playback = TPlayback::none;
    const TReplayTitle kind = completed ? (appending ? TReplayTitle::finishedAppending
                                                     : TReplayTitle::finishedLocked)
                                        : (appending ? TReplayTitle::stoppedAppending
                                                     : TReplayTitle::stoppedLocked);
    // The title tells how the replay ended until the next stroke.
    replayNote_ = QString::fromStdString(replayTitle(
        paper().buildTitle(), kind, 100, uint32_t(replayClock_.isValid() ? replayClock_.elapsed() : 0),
        translatedText));
    if (QWidget* top = parentWidget())
        top->setWindowTitle(replayNote_);
    paper().refreshAll(document_->flow(), paper().currentLayerIndex(), false);
    emit replayFinished(completed);
    emit stateChanged();
}

} // namespace qm::ui
