// A running main window with settings in a temporary file and message boxes answered by a
// hook, and helpers that send the drawing window synthetic mouse, tablet and key events.
#pragma once

#include "ui/application.h"
#include "ui/draw_window.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointingDevice>
#include <QTabletEvent>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace qm::ui::test {

// Runs the event loop until the condition holds or the time is up.
inline bool waitFor(const std::function<bool()>& done, int timeoutMs = 20000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Runs `inside` on the modal dialog of type D as soon as it is open.
template <typename D> void whenOpen(std::function<void(D&)> inside)
{
    QTimer::singleShot(0, [inside] {
        ASSERT_TRUE(waitFor([] { return qobject_cast<D*>(QApplication::activeModalWidget()); }));
        inside(*qobject_cast<D*>(QApplication::activeModalWidget()));
    });
}

class WindowFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        setMessageHook(&hook);
        shell = std::make_unique<TApplicationShell>(
            std::make_unique<TQtSettingsStore>(dir.filePath(QStringLiteral("settings.ini"))));
        shell->start();
        main().resize(1000, 800);
        main().show();
        window = main().newPaper(QStringLiteral("test"), 300, 200);
        ASSERT_NE(window, nullptr);
        window->parentWidget()->resize(500, 400);
        window->zoomCancel();
        QCoreApplication::processEvents();
        TStroke& pen = stroke();
        pen.kind = 0;
        pen.width = 12.0f;
        pen.minSize = 0.0f;
        pen.ifSize = 1;
        pen.ifTransparency = 0;
        pen.color = 0x0000FF;
    }
    void TearDown() override
    {
        for (TDrawWindowWidget* w : main().drawWindows())
            w->modified = false;
        shell.reset();
        setMessageHook(nullptr);
    }

    TMainForm& main() { return shell->mainWindow(); }
    TStroke& stroke() { return shell->context().liveStroke; }
    TPaper& paper() { return window->paper(); }
    uint32_t layerPixel(int x, int y, int layer = 0)
    {
        CLayerData* l = paper().layer(layer);
        return l->image()->GetPixelOrDefault(x + l->offsetX, y + l->offsetY);
    }
    int coveredInColumn(int x)
    {
        int n = 0;
        for (int y = 0; y < paper().height; ++y)
            n += (layerPixel(x, y) >> 24) != 0;
        return n;
    }
    uint32_t eventCount() { return window->document().events().eventCount(); }
    // The window position of a paper point.
    QPointF at(float x, float y)
    {
        const TPointF p = paper().paperToWindow(window->width(), window->height(), x, y);
        return {p.x, p.y};
    }

    void mouse(QEvent::Type type, QPointF pos, Qt::MouseButton button, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QMouseEvent event(type, pos, window->mapToGlobal(pos), button, buttons, modifiers);
        QApplication::sendEvent(window, &event);
    }
    void press(QPointF pos, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        mouse(QEvent::MouseButtonPress, pos, Qt::LeftButton, Qt::LeftButton, modifiers);
    }
    void drag(QPointF pos) { mouse(QEvent::MouseMove, pos, Qt::NoButton, Qt::LeftButton); }
    void release(QPointF pos)
    {
        mouse(QEvent::MouseButtonRelease, pos, Qt::LeftButton, Qt::NoButton);
    }
    void tablet(QEvent::Type type, QPointF pos, double pressure,
                QPointingDevice::PointerType pointer = QPointingDevice::PointerType::Pen)
    {
        const QPointingDevice* device = pointer == QPointingDevice::PointerType::Eraser ? &eraser : &pen;
        const Qt::MouseButton button = type == QEvent::TabletMove ? Qt::NoButton : Qt::LeftButton;
        const Qt::MouseButtons buttons = type == QEvent::TabletRelease ? Qt::NoButton : Qt::LeftButton;
        QTabletEvent event(type, device, pos, window->mapToGlobal(pos), pressure, 0.0f, 0.0f, 0.0f,
                           0.0, 0.0f, Qt::NoModifier, button, buttons);
        QApplication::sendEvent(window, &event);
    }
    void key(QEvent::Type type, int code)
    {
        QKeyEvent event(type, code, Qt::NoModifier, code == Qt::Key_Space ? QStringLiteral(" ") : QString());
        QApplication::sendEvent(window, &event);
    }

    QTemporaryDir dir;
    TMessageHook hook;
    std::unique_ptr<TApplicationShell> shell;
    TDrawWindowWidget* window = nullptr;
    QPointingDevice pen{QStringLiteral("test pen"), 101, QInputDevice::DeviceType::Stylus,
                        QPointingDevice::PointerType::Pen,
                        QInputDevice::Capability::Position | QInputDevice::Capability::Pressure,
                        1, 3};
    QPointingDevice eraser{QStringLiteral("test pen"), 101, QInputDevice::DeviceType::Stylus,
                           QPointingDevice::PointerType::Eraser,
                           QInputDevice::Capability::Position | QInputDevice::Capability::Pressure,
                           1, 3};
};

} // namespace qm::ui::test
