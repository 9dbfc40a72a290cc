#include "ui/scan_dialog.h"

#include "paperfile/paper_file.h"
#include "ui/ui_text.h"
#include "ui/wait_cursor.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFormLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>

namespace qm::ui {

namespace {

TScanChooser g_chooser;

// What the user chose last time, offered again in this run of the program.
TScanChoice& lastChoice()
{
    static TScanChoice choice{{}, {TScanMode::colour, 300}};
    return choice;
}


QString fromEngine(const std::string& text)
{
    return QString::fromStdString(text);
}

std::optional<TScanChoice> askChoice(const std::vector<TScanDevice>& devices, QWidget* parent)
{
    if (g_chooser) return g_chooser(devices);
    TScanDialog dialog(devices, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.choice();
}

// Runs the scan under a progress box whose Cancel stops it. The box keeps the window
// responsive: events are handled between the scanner's reads, a few times a second at most.
TScanResult scanWithProgress(CSaneScanner& scanner, const TScanChoice& choice, QWidget* parent)
{
    QProgressDialog box(TScanDialog::tr("Scanning…"), TScanDialog::tr("Cancel"), 0, 100, parent);
    box.setWindowTitle(QString::fromLatin1(kProgramName));
    box.setWindowModality(Qt::WindowModal);
    box.setMinimumDuration(0);
    box.setAutoClose(false);
    box.setAutoReset(false);
    box.setValue(0);
    QElapsedTimer sinceEvents;
    sinceEvents.start();
    return scanner.scan(choice.device, choice.options, [&](int32_t percent) {
        if (percent < 0) {
            if (box.maximum() != 0) box.setRange(0, 0); // length unknown: a busy bar
        } else if (percent != box.value()) {
            box.setValue(percent);
        }
        if (sinceEvents.elapsed() >= 50) {
            QCoreApplication::processEvents();
            sinceEvents.restart();
        }
        return !box.wasCanceled();
    });
}

} // namespace

TScanDialog::TScanDialog(const std::vector<TScanDevice>& devices, QWidget* parent)
    : QDialog(parent), devices_(devices)
{
    setWindowTitle(tr("Scan"));
    auto* form = new QFormLayout(this);
    const TScanChoice& last = lastChoice();
    if (devices_.size() > 1) {
        list_ = new QListWidget(this);
        for (const TScanDevice& device : devices_) {
            list_->addItem(deviceLabel(device));
            if (device.name == last.device) list_->setCurrentRow(list_->count() - 1);
        }
        if (list_->currentRow() < 0) list_->setCurrentRow(0);
        form->addRow(tr("Scanner:"), list_);
    } else if (!devices_.empty()) {
        form->addRow(tr("Scanner:"), new QLabel(deviceLabel(devices_.front()), this));
    }
    mode_ = new QComboBox(this);
    mode_->addItem(tr("Colour"), int(TScanMode::colour));
    mode_->addItem(tr("Grey"), int(TScanMode::gray));
    mode_->addItem(tr("The scanner's setting"), int(TScanMode::deviceDefault));
    mode_->setCurrentIndex(mode_->findData(int(last.options.mode)));
    resolution_ = new QSpinBox(this);
    resolution_->setRange(0, 9600);
    resolution_->setSingleStep(50);
    resolution_->setSuffix(tr(" dpi"));
    resolution_->setSpecialValueText(tr("The scanner's setting"));
    resolution_->setValue(last.options.resolution);
    form->addRow(tr("Mode:"), mode_);
    form->addRow(tr("Resolution:"), resolution_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("Scan"));
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    if (list_) connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
}

QString TScanDialog::deviceLabel(const TScanDevice& device)
{
    return QStringLiteral("%1 %2 (%3)")
        .arg(QString::fromStdString(device.vendor), QString::fromStdString(device.model),
             QString::fromStdString(device.name));
}

TScanChoice TScanDialog::choice() const
{
    TScanChoice chosen;
    const int row = list_ ? std::max(0, list_->currentRow()) : 0;
    if (size_t(row) < devices_.size()) chosen.device = devices_[size_t(row)].name;
    chosen.options.mode = TScanMode(mode_->currentData().toInt());
    chosen.options.resolution = resolution_->value();
    return chosen;
}

void setScanChooserHook(TScanChooser chooser)
{
    g_chooser = std::move(chooser);
}

std::optional<TScannedPicture> acquireScan(QWidget* parent)
{
    CSaneScanner scanner;
    if (!scanner.ready()) {
        showWarning(fromEngine(scanner.error()));
        return std::nullopt;
    }
    std::vector<TScanDevice> devices;
    std::string error;
    bool listed = false;
    {
        // Finding network scanners can take seconds.
        TWaitCursor wait;
        listed = scanner.listDevices(devices, error);
    }
    if (!listed) {
        showWarning(fromEngine(error));
        return std::nullopt;
    }
    if (devices.empty()) {
        showWarning(TScanDialog::tr("No scanner was found."));
        return std::nullopt;
    }

    const std::optional<TScanChoice> choice = askChoice(devices, parent);
    if (!choice) return std::nullopt;
    lastChoice() = *choice;

    TScanResult result = scanWithProgress(scanner, *choice, parent);
    if (result.status == TScanStatus::cancelled) return std::nullopt;
    if (result.status == TScanStatus::failed) {
        showWarning(fromEngine(result.message));
        return std::nullopt;
    }
    if (result.picture.width() > kMaxPaperSide || result.picture.height() > kMaxPaperSide) {
        showWarning(TScanDialog::tr("The scanned picture of %1 × %2 pixels is larger than a paper "
                                    "can be (%3 × %3): scan a smaller area or at a lower "
                                    "resolution.")
                        .arg(result.picture.width())
                        .arg(result.picture.height())
                        .arg(kMaxPaperSide));
        return std::nullopt;
    }
    if (!result.message.empty())
        showInformation(fromEngine(result.message)); // a short picture: the user keeps it
    return TScannedPicture{std::move(result.picture), result.resolution};
}

} // namespace qm::ui
