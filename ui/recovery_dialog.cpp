#include "ui/recovery_dialog.h"

#include "ui/draw_window.h"
#include "ui/main_window.h"
#include "ui/qt_images.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include <filesystem>

namespace qm::ui {

namespace {

TRecoveryChooser g_chooser;

QString describe(const TRecoverablePaper& paper)
{
    const TJournalAbout& about = paper.contents.about;
    const QString title = about.title.empty() ? TRecoveryDialog::tr("New paper")
                                              : QString::fromStdString(about.title);
    const QString when = QLocale().toString(QDateTime::fromSecsSinceEpoch(paper.modifiedSeconds),
                                            QLocale::ShortFormat);
    QString text = TRecoveryDialog::tr("%1\n%2 × %3 pixels, %4 events (%5), last change %6")
                       .arg(title)
                       .arg(about.width)
                       .arg(about.height)
                       .arg(paper.contents.recording.eventCount)
                       .arg(QLocale().formattedDataSize(qint64(paper.bytes)))
                       .arg(when);
    if (!paper.contents.whole)
        text += TRecoveryDialog::tr("\n(its last change was cut short and is left out)");
    return text;
}

} // namespace

TRecoveryDialog::TRecoveryDialog(const std::vector<TRecoverablePaper>& papers, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Restore Papers"));
    auto* intro = new QLabel(tr("Quillmere ended without closing these papers. "
                                "Tick those to restore; the others are discarded."),
                             this);
    intro->setWordWrap(true);
    list = new QListWidget(this);
    list->setIconSize(QSize(kJournalThumbnailSide, kJournalThumbnailSide));
    for (const TRecoverablePaper& paper : papers) {
        auto* item = new QListWidgetItem(describe(paper), list);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
        if (paper.contents.about.thumbnail.IsValid())
            item->setIcon(
                QIcon(QPixmap::fromImage(toQImage(paper.contents.about.thumbnail, true))));
    }
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* restore = buttons->addButton(tr("&Restore"), QDialogButtonBox::AcceptRole);
    buttons->addButton(tr("&Discard All"), QDialogButtonBox::DestructiveRole);
    QPushButton* later = buttons->addButton(tr("Decide &Later"), QDialogButtonBox::RejectRole);
    restore->setDefault(true);
    connect(buttons, &QDialogButtonBox::clicked, this, [this, buttons, later](QAbstractButton* b) {
        if (b == later) {
            later_ = true;
            reject();
            return;
        }
        if (buttons->buttonRole(b) == QDialogButtonBox::DestructiveRole)
            for (int i = 0; i < list->count(); ++i)
                list->item(i)->setCheckState(Qt::Unchecked);
        accept();
    });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(list);
    layout->addWidget(buttons);
    resize(520, 360);
}

std::vector<size_t> TRecoveryDialog::chosen() const
{
    std::vector<size_t> ticked;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->checkState() == Qt::Checked) ticked.push_back(size_t(i));
    return ticked;
}

void setRecoveryChooser(TRecoveryChooser chooser)
{
    g_chooser = std::move(chooser);
}

int offerRecovery(TMainForm& main, const std::string& folder)
{
    std::vector<TRecoverablePaper> papers = recoverablePapers(folder);
    if (papers.empty()) return 0;
    std::optional<std::vector<size_t>> chosen;
    if (g_chooser) {
        chosen = g_chooser(papers);
    } else {
        TRecoveryDialog dialog(papers, &main);
        dialog.exec();
        if (!dialog.later()) chosen = dialog.chosen();
    }
    if (!chosen) return 0;
    int restored = 0;
    std::vector<bool> keep(papers.size(), false);
    for (size_t i : *chosen)
        if (i < papers.size()) {
            if (main.restorePaper(papers[i]))
                ++restored;
            else
                keep[i] = true; // perhaps another time
        }
    // The restored papers keep journals of their own now; the others were discarded.
    for (size_t i = 0; i < papers.size(); ++i) {
        std::error_code ignored;
        if (!keep[i]) std::filesystem::remove(papers[i].journal, ignored);
    }
    return restored;
}

} // namespace qm::ui
