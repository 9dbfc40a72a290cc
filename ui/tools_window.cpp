#include "ui/tools_window.h"

#include "paper/fill_options.h"
#include "ui/tool_texts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace qm::ui {

namespace {

// The choices of the buttons that keep an option: the submodes they may stand for.
std::vector<int32_t> choicesOf(int32_t button)
{
    switch (button) {
    case 5: return {0, 1};
    case 8: return {0, 2};
    case 10: return {0, 1, 2};
    case 11: return {0, 1, 2};
    case 12: return {3, 4};
    case 16: return {2, 0};
    case 17: return {1, 3};
    default: return {};
    }
}

QString submodeName(uint8_t mode, int32_t submode)
{
    static const char* const names[10][6] = {
        {"Pen"},
        {"Zoom in", "Zoom out"},
        {"Pick"},
        {"Hand", "Rotate view", "Brush size"},
        {"Fill 0", "Fill 1", "Fill 2", "Fill 3"},
        {"Move layer", "Move selection", "Move layer and selection", "Gradation", "Crop", "No action"},
        {"Outline 0", "Outline 1", "Outline 2", "Line", "Line 2"},
        {"Shape 0", "Shape 1", "Shape 2", "Shape 3"},
        {"Ellipse selection", "Free selection", "Rectangle selection", "Polygon selection"},
        {"Text", "Text into selection"},
    };
    if (mode > 9 || submode < 0 || submode >= CModeMngr::submodeCount(mode))
        return {};
    return QCoreApplication::translate("Quillmere", names[mode][submode]);
}

} // namespace

TToolsWindow::TToolsWindow(TAppContext& app, QWidget* parent) : QWidget(parent), app_(app)
{
    setObjectName(QStringLiteral("TToolsWindow"));
    auto* grid = new QGridLayout(this);
    grid->setSpacing(2);
    grid->setContentsMargins(4, 4, 4, 4);
    group_ = new QButtonGroup(this);
    group_->setExclusive(true);
    for (int32_t b = 0; b < kToolButtonCount; ++b) {
        auto* button = new QToolButton(this);
        button->setObjectName(QStringLiteral("tool%1").arg(b));
        button->setText(toolCaption(b));
        button->setToolTip(QStringLiteral("<b>%1</b><br>%2").arg(toolCaption(b), toolHint(b)));
        button->setCheckable(true);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        button->setContextMenuPolicy(Qt::CustomContextMenu);
        const std::vector<int32_t> choices = choicesOf(b);
        options_[size_t(b)] = choices.empty() ? 0 : choices.front();
        connect(button, &QToolButton::clicked, this, [this, b] { choose(b); });
        connect(button, &QToolButton::customContextMenuRequested, this, [this, b] { showOptions(b); });
        group_->addButton(button, b);
        buttons_[size_t(b)] = button;
        grid->addWidget(button, b / 3, b % 3);
    }
    grid->setRowStretch(kToolButtonCount / 3 + 1, 1);
    followMode();
}

void TToolsWindow::choose(int32_t index)
{
    app_.modes.setModeFromTool(index, options_[size_t(index)]);
    followMode();
}

void TToolsWindow::setOption(int32_t index, int32_t option)
{
    options_[size_t(index)] = option;
}

void TToolsWindow::showOptions(int32_t index)
{
    const std::vector<int32_t> choices = choicesOf(index);
    if (choices.empty())
        return;
    QMenu menu(this);
    TModeChoice choice;
    for (int32_t option : choices) {
        CModeMngr::toolButtonMode(index, option, choice);
        QAction* a = menu.addAction(submodeName(choice.mode, choice.submode));
        a->setCheckable(true);
        a->setChecked(options_[size_t(index)] == option);
        connect(a, &QAction::triggered, this, [this, index, option] {
            setOption(index, option);
            choose(index);
        });
    }
    menu.exec(QCursor::pos());
}

void TToolsWindow::followMode()
{
    const int32_t b = CModeMngr::toolButtonOf(app_.modes.mode, app_.modes.submode());
    if (b >= 0 && b < kToolButtonCount) {
        buttons_[size_t(b)]->setChecked(true);
    } else if (QAbstractButton* checked = group_->checkedButton()) {
        group_->setExclusive(false);
        checked->setChecked(false);
        group_->setExclusive(true);
    }
}

// ---- the options window ----

TControlWindow::TControlWindow(TAppContext& app, QWidget* parent) : QWidget(parent), app_(app)
{
    setObjectName(QStringLiteral("TControlWindow"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    tool_ = new QLabel(this);
    QFont bold = tool_->font();
    bold.setBold(true);
    tool_->setFont(bold);
    status_ = new QLabel(this);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont fixed(QStringLiteral("monospace"));
    fixed.setStyleHint(QFont::TypeWriter);
    status_->setFont(fixed);
    options_ = new QWidget(this);
    optionsLayout_ = new QVBoxLayout(options_);
    optionsLayout_->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tool_);
    layout->addWidget(status_);
    layout->addWidget(options_);
    layout->addStretch(1);
    followMode();
}

void TControlWindow::showStatus(const QString& text) { status_->setText(text); }

QString TControlWindow::status() const { return status_->text(); }

void TControlWindow::followMode()
{
    const uint8_t mode = app_.modes.mode;
    const int32_t b = CModeMngr::toolButtonOf(mode, app_.modes.submode());
    tool_->setText(b >= 0 ? toolCaption(b) : submodeName(mode, app_.modes.submode()));
    while (QLayoutItem* item = optionsLayout_->takeAt(0)) {
        if (QWidget* w = item->widget()) {
            w->hide();
            w->deleteLater(); // it may be the button whose click got us here
        }
        delete item;
    }
    const int32_t count = CModeMngr::submodeCount(mode);
    if (count < 2)
        return;
    for (int32_t s = 0; s < count; ++s) {
        auto* radio = new QRadioButton(submodeName(mode, s), options_);
        radio->setChecked(s == app_.modes.submode());
        connect(radio, &QRadioButton::clicked, this, [this, mode, s] { app_.modes.switchMode(mode, s); });
        optionsLayout_->addWidget(radio);
    }
    if (mode == 4 && app_.modes.submode() != 1)
        addSeedFillOptions(app_.modes.submode() == 3);
    if (mode == 8 || (mode == 4 && app_.modes.submode() == 3))
        addCombineChoice();
}

void TControlWindow::addCombineChoice()
{
    auto* combine = new QComboBox(options_);
    combine->setObjectName(QStringLiteral("selectCombine"));
    combine->setToolTip(tr("Shift adds, Ctrl subtracts, both intersect"));
    // In the order of the combination modes.
    combine->addItems({tr("New selection"), tr("Add to the selection"),
                       tr("Subtract from the selection"), tr("Intersect with the selection")});
    combine->setCurrentIndex(int(app_.selectionCombine));
    connect(combine, &QComboBox::currentIndexChanged, this,
            [this](int i) { app_.selectionCombine = MaskCombine(i); });
    optionsLayout_->addWidget(combine);
}

void TControlWindow::addSeedFillOptions(bool wand)
{
    TConfigSettings& c = app_.profile.config;
    int32_t& limit = wand ? c.wandLimit : c.fillLimit;
    int32_t& target = wand ? c.wandTarget : c.fillTarget;
    bool& antiAlias = wand ? c.wandAntiAlias : c.fillAntiAlias;

    auto* row = new QWidget(options_);
    auto* form = new QHBoxLayout(row);
    form->setContentsMargins(0, 4, 0, 0);
    form->addWidget(new QLabel(tr("Colour limit"), row));
    auto* spin = new QSpinBox(row);
    spin->setObjectName(QStringLiteral("fillLimit"));
    spin->setRange(0, kMaxFillLimit);
    spin->setValue(std::clamp(limit, 0, kMaxFillLimit));
    connect(spin, &QSpinBox::valueChanged, this, [&limit](int v) { limit = v; });
    form->addWidget(spin);
    optionsLayout_->addWidget(row);

    auto* source = new QComboBox(options_);
    source->setObjectName(QStringLiteral("fillTarget"));
    source->addItems({tr("Current layer"), tr("Displayed picture")});
    source->setCurrentIndex(target != 0 ? 1 : 0);
    connect(source, &QComboBox::currentIndexChanged, this, [&target](int i) { target = i; });
    optionsLayout_->addWidget(source);

    auto* smooth = new QCheckBox(tr("Anti-alias"), options_);
    smooth->setObjectName(QStringLiteral("fillAntiAlias"));
    smooth->setChecked(antiAlias);
    connect(smooth, &QCheckBox::toggled, this, [&antiAlias](bool on) { antiAlias = on; });
    optionsLayout_->addWidget(smooth);
}

} // namespace qm::ui
