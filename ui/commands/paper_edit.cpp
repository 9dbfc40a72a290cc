#include "ui/commands/paper_edit.h"

#include "ui/draw_window.h"
#include "ui/main_window.h"
#include "ui/ui_text.h"

#include <QApplication>

namespace qm::ui {

void runPaperEdit(TMainForm& main,
                  const std::function<void(TDrawWindowWidget&, TPaper&, TFlowImage&)>& edit)
{
    TDrawWindowWidget* window = main.activeDrawWindow();
    if (!window) return;
    TPaper& paper = window->paper();
    const int32_t width = paper.width, height = paper.height;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    edit(*window, paper, window->document().flow());
    QApplication::restoreOverrideCursor();
    if (paper.width != width || paper.height != height)
        window->centreOn(QPointF(paper.width / 2.0, paper.height / 2.0));
    window->update();
    emit window->stateChanged();
}

TDrawWindowWidget* newPaperHolding(TMainForm& main, const QString& title, TMTC picture)
{
    TDrawWindowWidget* window = main.newPaper(title, picture.width(), picture.height());
    if (!window) return nullptr;
    TImagePlacement placement;
    placement.layer = window->paper().currentLayerIndex();
    placement.image = std::move(picture);
    runPaperEdit(main, [&](TDrawWindowWidget&, TPaper& p, TFlowImage& flow) {
        p.placeImage(flow, placeEvent::intoLayer, placement, true);
    });
    return window;
}

bool askGoOnWithoutUndo(const std::string& question)
{
    return confirmWarning(
        QString::fromStdString(question).replace(QLatin1Char('\r'), QLatin1Char('\n')));
}

} // namespace qm::ui
