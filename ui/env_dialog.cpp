#include "ui/env_dialog.h"

#include "app/dialog_values.h"
#include "ui/tool_texts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace qm::ui {

namespace {

QSpinBox* spinFor(const TIntChoice& choice, QWidget* parent)
{
    auto* spin = new QSpinBox(parent);
    spin->setRange(choice.low, choice.high);
    spin->setValue(choice.initial);
    return spin;
}

QCheckBox* checkFor(const QString& text, bool on, QWidget* parent)
{
    auto* check = new QCheckBox(text, parent);
    check->setChecked(on);
    return check;
}

// What a middle-button setting drags with: the caption of the tool button it stands for.
QString middleButtonText(int32_t setting)
{
    const TModeChoice mode = CModeMngr::middleButtonMode(setting);
    const int32_t button = CModeMngr::toolButtonOf(mode.mode, mode.submode);
    return button >= 0 ? toolCaption(button) : QString::number(setting);
}

} // namespace

TFormEnv::TFormEnv(const TAppContext& app, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("Options"));
    auto* tabs = new QTabWidget(this);
    tabs->addTab(generalPage(app), tr("General"));
    tabs->addTab(inputPage(app), tr("View and Input"));
    tabs->addTab(filesPage(app), tr("Files"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(buttons);
}

QWidget* TFormEnv::generalPage(const TAppContext& app)
{
    const TConfigSettings& config = app.profile.config;
    auto* page = new QWidget(this);
    auto* form = new QFormLayout(page);
    undoSteps = spinFor(undoDepthChoice(config.undoMax), page);
    form->addRow(tr("Undo steps:"), undoSteps);
    gridWidth = spinFor(gridSpacingChoice(config.gridW), page);
    gridHeight = spinFor(gridSpacingChoice(config.gridH), page);
    form->addRow(tr("Grid width:"), gridWidth);
    form->addRow(tr("Grid height:"), gridHeight);
    language = new QComboBox(page);
    language->addItems(
        {tr("The desktop's language"), QStringLiteral("English"), QStringLiteral("日本語")});
    language->setCurrentIndex(config.language);
    form->addRow(tr("Language (from the next start):"), language);
    return page;
}

QWidget* TFormEnv::inputPage(const TAppContext& app)
{
    const TConfigSettings& config = app.profile.config;
    auto* page = new QWidget(this);
    auto* form = new QFormLayout(page);
    smoothView = checkFor(tr("Smooth view when zoomed or rotated"), config.useZoomAntialias, page);
    autoScroll =
        checkFor(tr("Scroll while drawing at the window's edge"), config.useAutoScroll, page);
    ignoreTablet =
        checkFor(tr("Use the mouse even when a tablet is present"), config.ignoreTablet, page);
    dropFullSpike = checkFor(tr("Ignore a full-pressure jump as the pen touches down"),
                             app.tabletDropFullSpike, page);
    rightButtonPicks =
        checkFor(tr("The right button picks colours"), config.useRBtnColPicker, page);
    for (QCheckBox* check : {smoothView, autoScroll, ignoreTablet, dropFullSpike, rightButtonPicks})
        form->addRow(check);
    middleButton = new QComboBox(page);
    for (int32_t setting = 0; setting < kMiddleButtonFunctionCount; ++setting)
        middleButton->addItem(middleButtonText(setting));
    middleButton->setCurrentIndex(config.mouseMBtnFunc);
    form->addRow(tr("The middle button drags with:"), middleButton);
    return page;
}

QWidget* TFormEnv::filesPage(const TAppContext& app)
{
    const TFileIOSettings& io = app.profile.fileIO;
    auto* page = new QWidget(this);
    auto* form = new QFormLayout(page);
    keepPrevious = checkFor(tr("Keep the previous version of a saved paper (name.qmp~)"),
                            io.keepPrevious, page);
    form->addRow(keepPrevious);
    const QString presetNames[4] = {tr("JPEG quality, highest:"), tr("JPEG quality, high:"),
                                    tr("JPEG quality, standard:"), tr("JPEG quality, low:")};
    for (int i = 0; i < 4; ++i) {
        jpegPresets[i] = spinFor({0, 100, jpegPresetQuality(io, i)}, page);
        form->addRow(presetNames[i], jpegPresets[i]);
    }
    psdVersion = spinFor({3, 7, io.psdSaveVer}, page);
    psdVersion->setToolTip(tr("From 6 on, layer names are written in Unicode as well."));
    form->addRow(tr("PSD version written:"), psdVersion);
    psdUncompressed =
        checkFor(tr("Write PSD channels uncompressed"), (io.psdSaveFlags & 1) != 0, page);
    form->addRow(psdUncompressed);
    return page;
}

void TFormEnv::store(TAppContext& app) const
{
    TConfigSettings& config = app.profile.config;
    config.undoMax = undoSteps->value();
    config.gridW = gridWidth->value();
    config.gridH = gridHeight->value();
    config.language = language->currentIndex();
    config.useZoomAntialias = smoothView->isChecked();
    config.useAutoScroll = autoScroll->isChecked();
    config.ignoreTablet = ignoreTablet->isChecked();
    app.tabletDropFullSpike = dropFullSpike->isChecked();
    config.useRBtnColPicker = rightButtonPicks->isChecked();
    config.mouseMBtnFunc = middleButton->currentIndex();
    TFileIOSettings& io = app.profile.fileIO;
    int32_t* presets[4] = {&io.jpegQVHigh, &io.jpegQHigh, &io.jpegQStd, &io.jpegQLow};
    for (int i = 0; i < 4; ++i)
        *presets[i] = jpegPresets[i]->value();
    if (io.jpegQType != kJpegOwnQuality) io.jpegQuality = jpegPresetQuality(io, io.jpegQType);
    io.keepPrevious = keepPrevious->isChecked();
    io.psdSaveVer = psdVersion->value();
    io.psdSaveFlags = (io.psdSaveFlags & ~1) | (psdUncompressed->isChecked() ? 1 : 0);
}

} // namespace qm::ui
