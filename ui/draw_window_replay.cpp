// The drawing window's replay of a recording: steps on a timer, pause, stop on request, the
// title that shows the progress and how the replay ended.
#include "ui/draw_window.h"

#include "events/event_texts.h"

#include <QElapsedTimer>

namespace qm::ui {

namespace {

constexpr int kReplaySliceMs = 12; // replay work per timer tick, so the window stays responsive

TReplayEnd endOf(TReplayStep step)
{
    return step == TReplayStep::end     ? TReplayEnd::completed
           : step == TReplayStep::error ? TReplayEnd::failed
                                        : TReplayEnd::stopped;
}

} // namespace

void TDrawWindowWidget::startReplay()
{
    replayPaused_ = false;
    replayClock_.start();
    replayTimer_.start(replayWait_ ? int(kWaitStepMs) : 0);
    emit stateChanged();
}

void TDrawWindowWidget::pauseReplay(bool on)
{
    if (!replayOpen())
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
    if (!replayOpen())
        return;
    const bool wasRunning = replayTimer_.isActive();
    replayTimer_.stop();
    if (confirm(uiText(kStopReplayQuestion)))
        finishReplay(TReplayEnd::stopped);
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
            finishReplay(endOf(step));
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
    finishReplay(endOf(step));
    return step;
}

void TDrawWindowWidget::finishReplay(TReplayEnd end)
{
    const bool completed = end == TReplayEnd::completed;
    replayTimer_.stop();
    replayPaused_ = false;
    const bool appending = document_->finishReplay();
    playback = TPlayback::none;
    // What was replayed is in the recording's file; what is drawn from here on is journaled.
    startJournal(path_, true);
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
    emit replayFinished(end);
    emit stateChanged();
}

} // namespace qm::ui
