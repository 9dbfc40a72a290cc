// How long a tablet sample takes to show: from the tablet event to the repainted dirty
// rectangle on screen, on a 4000 × 3000 paper of 20 layers at 100 %. Each iteration sends one
// tablet move of a stroke in progress and lets Qt paint what it asked for. Runs under the
// offscreen platform, so the figure is the program's own work (no compositor, no GPU upload).
#include "ui/application.h"
#include "ui/draw_window.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QPointingDevice>
#include <QTabletEvent>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

using namespace qm;
using namespace qm::ui;

struct TScene {
    TScene()
    {
        shell = std::make_unique<TApplicationShell>(
            std::make_unique<TQtSettingsStore>(dir.filePath(QStringLiteral("s.ini"))));
        shell->start();
        TMainForm& main = shell->mainWindow();
        main.resize(1900, 1150);
        main.show();
        window = main.newPaper(QStringLiteral("bench"), 4000, 3000);
        window->parentWidget()->showMaximized();
        TPaper& paper = window->paper();
        for (int i = 1; i < 20; ++i)
            paper.createLayer(window->document().flow(), i, 4000, 3000, true, 255, 3, true);
        // Every layer holds something, so the composite has real work to do.
        TStroke& stroke = shell->context().liveStroke;
        stroke.kind = 0;
        stroke.ifSize = 1;
        stroke.minSize = 0.0f;
        for (int i = 0; i < 20; ++i) {
            paper.setCurrentLayer(window->document().flow(), i);
            stroke.color = 0x102030u * uint32_t(i + 1);
            stroke.width = 40.0f;
            stroke.layerIndex = i;
            paper.beginStroke(window->document().flow(), stroke, true, 1500.0f, 1000.0f + i * 50, 1.0f);
            paper.continueStroke(window->document().flow(), stroke, true, nullptr, 2500.0f, 1000.0f + i * 50, 1.0f);
            TRect r;
            paper.endStroke(window->document().flow(), stroke, true, r, nullptr);
        }
        paper.refreshAll(window->document().flow(), 19, false);
        window->centreOn(QPointF(2000, 1500));
        QCoreApplication::processEvents();
    }
    void send(QEvent::Type type, QPointF pos, double pressure)
    {
        const Qt::MouseButton button = type == QEvent::TabletMove ? Qt::NoButton : Qt::LeftButton;
        QTabletEvent event(type, &pen, pos, window->mapToGlobal(pos), pressure, 0, 0, 0, 0, 0,
                           Qt::NoModifier, button,
                           type == QEvent::TabletRelease ? Qt::NoButton : Qt::LeftButton);
        QApplication::sendEvent(window, &event);
    }

    QTemporaryDir dir;
    std::unique_ptr<TApplicationShell> shell;
    TDrawWindowWidget* window = nullptr;
    QPointingDevice pen{QStringLiteral("bench pen"), 7, QInputDevice::DeviceType::Stylus,
                        QPointingDevice::PointerType::Pen,
                        QInputDevice::Capability::Position | QInputDevice::Capability::Pressure, 1, 3};
};

TScene& scene()
{
    static TScene s;
    return s;
}

void TabletEventToRepaint(benchmark::State& state)
{
    TScene& s = scene();
    s.shell->context().liveStroke.width = float(state.range(0));
    const QPointF centre(s.window->width() / 2.0, s.window->height() / 2.0);
    s.send(QEvent::TabletPress, centre, 0.5);
    double t = 0.0;
    int64_t pixels = 0;
    s.window->takeDirtyArea();
    for (auto _ : state) {
        // A hand-like loop: about 3 px between samples.
        t += 0.01;
        const QPointF p = centre + QPointF(300 * std::cos(t), 200 * std::sin(2 * t));
        s.send(QEvent::TabletMove, p, 0.5 + 0.4 * std::sin(7 * t));
        QCoreApplication::processEvents(); // the repaint of what the event asked for
        const QRect dirty = s.window->takeDirtyArea();
        pixels += int64_t(dirty.width()) * dirty.height();
    }
    s.send(QEvent::TabletRelease, centre, 0.0);
    QCoreApplication::processEvents();
    if (state.iterations() > 200 && s.window->paper().currentLayer()->image()->GetPixelOrDefault(2000 + 300, 1500) >> 24 == 0)
        state.SkipWithError("the stroke painted nothing");
    state.counters["dirty_px"] = benchmark::Counter(double(pixels) / double(state.iterations()));
}
BENCHMARK(TabletEventToRepaint)->Arg(10)->Arg(50)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication::setAttribute(Qt::AA_CompressTabletEvents, false);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
