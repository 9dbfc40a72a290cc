#include "ui/palette_window.h"

#include "colour/colour_mngr.h"
#include "palette/palette.h"
#include "palette/palette_kind.h"
#include "palette/palette_load.h"
#include "palette/palette_messages.h"
#include "ui/app_context.h"
#include "ui/ui_text.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QStandardPaths>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <iterator>

namespace qm::ui {

namespace {

// Each dialog keeps its last filter while the program runs.
int32_t g_lastOpenFilter = kPalFilterOwn;
int32_t g_lastSaveFilter = kPalFilterOwn;

QColor colourOf(const TPalEntry& e)
{
    return QColor(e.red, e.green, e.blue);
}

void tellApp(TAppContext& app, const std::vector<TPalMessage>& messages)
{
    for (const TPalMessage& m : messages)
        app.messages.showMessage(palMessageText(m).toStdString());
}

} // namespace

QString palMessageText(const TPalMessage& message)
{
    QStringList fields;
    for (const std::string& field : message.fields)
        fields << uiText(field.c_str()); // the palette's word is translated, numbers stay
    return uiText(message.format.c_str(), fields);
}

void startAppPalette(TAppContext& app, CPalette& palette)
{
    TFileIOSettings& files = app.profile.fileIO;
    std::string folder = files.appPath.empty() ? app.profile.facts.programFolder : files.appPath;
    // An installed program's folder is not the user's to write: the default palette then
    // lives in the user's data folder.
    if (!QFileInfo(QString::fromStdString(folder)).isWritable()) {
        const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        if (!data.isEmpty() && QDir().mkpath(data)) folder = data.toStdString();
    }
    const TPalStartup start =
        startPalette(palette, files.palFile, folder,
                     [](const TPalMessage& q) { return confirm(palMessageText(q)); });
    if (!start.palFile.empty()) files.palFile = start.palFile;
    tellApp(app, start.messages);
}

void saveAppPalette(TAppContext& app, CPalette& palette)
{
    tellApp(app, savePaletteAtExit(palette, app.profile.fileIO.palFile).messages);
}

// ---- the grid ----

TPalSwatches::TPalSwatches(TPalWindow& window, QWidget* parent) : QWidget(parent), window_(window)
{
    setObjectName(QStringLiteral("palSwatches"));
    setContextMenuPolicy(Qt::ActionsContextMenu);
    resizeToPalette();
}

QSize TPalSwatches::sizeHint() const
{
    const TPalGrid& g = window_.palette().grid();
    const int32_t count = window_.palette().count();
    const int32_t rows = std::max<int32_t>(1, (count + g.columns - 1) / g.columns);
    return {g.columns * g.cellWidth, rows * g.cellHeight};
}

void TPalSwatches::resizeToPalette()
{
    resize(sizeHint());
    update();
}

QRect TPalSwatches::swatchRect(int32_t i) const
{
    const TPalGrid& g = window_.palette().grid();
    return {int(i % g.columns) * g.cellWidth, int(i / g.columns) * g.cellHeight, g.cellWidth,
            g.cellHeight};
}

int32_t TPalSwatches::swatchAt(QPoint p) const
{
    const TPalGrid& g = window_.palette().grid();
    if (p.x() < 0 || p.y() < 0 || p.x() / g.cellWidth >= g.columns) return -1;
    const int32_t i = p.y() / g.cellHeight * g.columns + p.x() / g.cellWidth;
    return i < window_.palette().count() ? i : -1;
}

int32_t TPalSwatches::dropIndexAt(QPoint p) const
{
    const TPalGrid& g = window_.palette().grid();
    const int32_t column = std::clamp(p.x() / g.cellWidth, 0, g.columns - 1);
    const int32_t row = std::max(0, p.y() / g.cellHeight);
    return std::clamp(row * g.columns + column, 0, std::max(0, window_.palette().count() - 1));
}

void TPalSwatches::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().window());
    const CPalette& pal = window_.palette();
    const QColor grid = palette().color(QPalette::Mid);
    for (int32_t i = 0; i < pal.count(); ++i) {
        const QRect r = swatchRect(i);
        if (!r.intersects(event->rect())) continue;
        painter.fillRect(r, colourOf(pal.entry(i)));
        painter.setPen(grid);
        painter.drawRect(r.adjusted(0, 0, -1, -1));
    }
    // The main colour's swatch: black and white frames, seen on any colour.
    if (const int32_t m = window_.marked(); m >= 0) {
        const QRect r = swatchRect(m);
        painter.setPen(Qt::black);
        painter.drawRect(r.adjusted(0, 0, -1, -1));
        painter.setPen(Qt::white);
        painter.drawRect(r.adjusted(1, 1, -2, -2));
    }
    if (const int32_t c = window_.chosen(); c >= 0 && c < pal.count()) {
        painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter.drawRect(swatchRect(c).adjusted(2, 2, -3, -3));
    }
}

void TPalSwatches::mousePressEvent(QMouseEvent* event)
{
    const int32_t i = swatchAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton) {
        pressed_ = i;
        pressAt_ = event->position().toPoint();
        dragging_ = false;
        if (i >= 0) window_.pick(i);
    } else if (event->button() == Qt::RightButton) {
        window_.choose(i); // the context menu works on this swatch
    }
}

void TPalSwatches::mouseMoveEvent(QMouseEvent* event)
{
    if (pressed_ < 0 || !(event->buttons() & Qt::LeftButton)) return;
    if (!dragging_ && (event->position().toPoint() - pressAt_).manhattanLength() >=
                          QApplication::startDragDistance()) {
        dragging_ = true;
        setCursor(Qt::ClosedHandCursor);
    }
}

void TPalSwatches::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return;
    if (dragging_ && pressed_ >= 0)
        window_.moveSwatch(pressed_, dropIndexAt(event->position().toPoint()));
    pressed_ = -1;
    dragging_ = false;
    unsetCursor();
}

// ---- the window ----

TPalWindow::TPalWindow(TAppContext& app, CPalette& palette, QWidget* parent)
    : QWidget(parent), app_(app), palette_(palette)
{
    setObjectName(QStringLiteral("TPalWindow"));
    chooseFile = [this](bool save, const QString& start, int32_t& filter) {
        const QString filters =
            QString::fromStdString(palFilterForDialog(save ? kPalSaveFilter : kPalOpenFilter));
        const QStringList list = filters.split(QStringLiteral(";;"));
        QString selected = list.value(std::clamp<int32_t>(filter, 1, int32_t(list.size())) - 1);
        const QString path =
            save
                ? QFileDialog::getSaveFileName(this, tr("Save Palette"), start, filters, &selected)
                : QFileDialog::getOpenFileName(this, tr("Load Palette"), start, filters, &selected);
        if (const qsizetype i = list.indexOf(selected); !path.isEmpty() && i >= 0)
            filter = int32_t(i) + 1;
        return path;
    };

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    scroller_ = new QScrollArea(this);
    scroller_->setObjectName(QStringLiteral("palScroller"));
    scroller_->setWidgetResizable(false);
    scroller_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroller_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    swatches_ = new TPalSwatches(*this, scroller_);
    scroller_->setWidget(swatches_);
    layout->addWidget(scroller_, 1);

    const std::pair<const char*, QString> commands[] = {{"actPalInsert", tr("Insert Colour")},
                                                        {"actPalDelete", tr("Delete Colour")},
                                                        {"actPalLoad", tr("Load Palette...")},
                                                        {"actPalSave", tr("Save Palette...")}};
    void (TPalWindow::*const handlers[])() = {&TPalWindow::actPalInsert, &TPalWindow::actPalDelete,
                                              &TPalWindow::actPalLoad, &TPalWindow::actPalSave};
    auto* buttons = new QHBoxLayout;
    for (size_t i = 0; i < std::size(commands); ++i) {
        auto* a = new QAction(commands[i].second, this);
        a->setObjectName(QString::fromLatin1(commands[i].first));
        connect(a, &QAction::triggered, this, handlers[i]);
        swatches_->addAction(a);
        if (i == 1) {
            auto* separator = new QAction(this);
            separator->setSeparator(true);
            swatches_->addAction(separator);
        }
        auto* b = new QToolButton(this);
        b->setDefaultAction(a);
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    layout->addLayout(buttons);
    refresh();
}

QAction* TPalWindow::action(const char* name) const
{
    return findChild<QAction*>(QString::fromLatin1(name));
}

void TPalWindow::refresh()
{
    if (chosen_ >= palette_.count()) chosen_ = -1;
    swatches_->resizeToPalette();
    // The view shows the palette's rows; more scroll.
    const TPalGrid& g = palette_.grid();
    const int frame = 2 * scroller_->frameWidth();
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    scroller_->setMinimumWidth(g.columns * g.cellWidth + frame + bar);
    scroller_->setMinimumHeight(g.rows * g.cellHeight + frame);
    swatches_->update();
}

void TPalWindow::followColour()
{
    swatches_->update();
}

int32_t TPalWindow::marked() const
{
    return app_.colours ? palette_.find(app_.colours->mainColor()) : -1;
}

void TPalWindow::choose(int32_t swatch)
{
    chosen_ = swatch >= 0 && swatch < palette_.count() ? swatch : -1;
    swatches_->update();
}

void TPalWindow::pick(int32_t swatch)
{
    choose(swatch);
    if (chosen_ < 0 || !app_.colours) return;
    // The colour manager tells every colour window, and through them the app's colourChanged.
    app_.colours->setMainColor(palette_.entry(chosen_).rgb(), kColourSourceWindow);
    swatches_->update();
}

void TPalWindow::moveSwatch(int32_t from, int32_t to)
{
    if (!palette_.move(from, to)) return;
    chosen_ = std::clamp(to, 0, palette_.count() - 1);
    changed();
}

void TPalWindow::changed()
{
    refresh();
    if (paletteChanged) paletteChanged();
}

void TPalWindow::tell(const std::vector<TPalMessage>& messages)
{
    tellApp(app_, messages);
}

void TPalWindow::actPalInsert()
{
    if (!app_.colours) return;
    const int32_t before = chosen_ >= 0 ? chosen_ : palette_.count();
    if (!palette_.insert(before, TPalEntry::fromRGB(app_.colours->mainColor()))) {
        tell({{kPalNoMemoryMessage, {}}});
        return;
    }
    if (chosen_ >= 0)
        ++chosen_; // stays on the swatch it was on, so repeated inserts keep their order
    changed();
}

void TPalWindow::actPalDelete()
{
    if (!palette_.remove(chosen_)) return;
    chosen_ = std::min(chosen_, palette_.count() - 1);
    changed();
}

void TPalWindow::actPalLoad()
{
    int32_t filter = g_lastOpenFilter;
    const QString path =
        chooseFile(false, QString::fromStdString(app_.profile.fileIO.palPath), filter);
    if (path.isEmpty()) return;
    g_lastOpenFilter = filter;
    const TPalLoad load =
        loadPaletteInWindow(palette_, path.toStdString(),
                            [](const TPalMessage& q) { return confirm(palMessageText(q)); });
    tell(load.messages);
    if (!load.replaced) return;
    if (!load.ownFile.empty()) {
        app_.profile.fileIO.palFile = load.ownFile;
        app_.profile.fileIO.palPath =
            QFileInfo(QString::fromStdString(load.ownFile)).absolutePath().toStdString();
    }
    chosen_ = -1;
    changed();
}

void TPalWindow::actPalSave()
{
    const TPalSaveStart start = palSaveStart(palette_.path(), g_lastSaveFilter);
    int32_t filter = start.filter;
    const QString startName = start.name.empty()
                                  ? QString::fromStdString(app_.profile.fileIO.palPath)
                                  : QString::fromStdString(start.name);
    const QString chosenPath = chooseFile(true, startName, filter);
    if (chosenPath.isEmpty()) return;
    g_lastSaveFilter = filter;
    const std::string path = withPalExtension(chosenPath.toStdString(), filter);
    const TPalSave save = savePaletteFromWindow(palette_, path);
    tell(save.messages);
    if (save.saved && palKindOf(path) == PalKind::Own) {
        app_.profile.fileIO.palFile = path;
        app_.profile.fileIO.palPath =
            QFileInfo(QString::fromStdString(path)).absolutePath().toStdString();
    }
}

} // namespace qm::ui
