#include "ui/scripted_input.h"

#include "ui/draw_window.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QTimer>

#include <memory>

namespace qm::ui {

namespace {

struct TScriptPlayer {
    TMainForm& main;
    QStringList lines;
    int next = 0;

    void mouse(QEvent::Type type, double x, double y)
    {
        TDrawWindowWidget* w = main.activeDrawWindow();
        if (!w) return;
        const TPointF at = w->paper().paperToWindow(w->width(), w->height(), float(x), float(y));
        const QPointF pos(at.x, at.y);
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, pos, w->mapToGlobal(pos), button, held, Qt::NoModifier);
        QApplication::sendEvent(w, &event);
    }

    // Runs lines up to the next pause; the milliseconds to wait before the rest (−1: done).
    int step()
    {
        while (next < lines.size()) {
            const QStringList word = lines[next++].simplified().split(QLatin1Char(' '));
            const QString& verb = word[0];
            const double a = word.size() > 1 ? word[1].toDouble() : 0;
            const double b = word.size() > 2 ? word[2].toDouble() : 0;
            if (verb == QLatin1String("paper"))
                main.newPaper(QStringLiteral("script"), int(a), int(b));
            else if (verb == QLatin1String("press"))
                mouse(QEvent::MouseButtonPress, a, b);
            else if (verb == QLatin1String("move"))
                mouse(QEvent::MouseMove, a, b);
            else if (verb == QLatin1String("release"))
                mouse(QEvent::MouseButtonRelease, a, b);
            else if (verb == QLatin1String("wait"))
                return int(a);
        }
        return -1;
    }
};

void playOn(const std::shared_ptr<TScriptPlayer>& player)
{
    const int wait = player->step();
    if (wait >= 0) QTimer::singleShot(wait, &player->main, [player] { playOn(player); });
}

} // namespace

bool playInputScript(TMainForm& main, const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return false;
    auto player = std::make_shared<TScriptPlayer>(TScriptPlayer{main, {}, 0});
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n')))
        if (!line.trimmed().isEmpty() && !line.startsWith(QLatin1Char('#'))) player->lines << line;
    QTimer::singleShot(0, &main, [player] { playOn(player); });
    return true;
}

} // namespace qm::ui
