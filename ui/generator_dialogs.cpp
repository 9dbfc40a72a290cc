#include "ui/generator_dialogs.h"

#include "ui/qt_images.h"
#include "ui/ui_text.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDial>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace qm::ui {

TFormTile::TValues TFormTile::lastAccepted;
TPatternDialog::TValues TFormCloud::lastAccepted{10, 50, 0, 0, false};
TPatternDialog::TValues TFormRock::lastAccepted{50, 50, 0, 0, false};
TFormLighting::TValues TFormLighting::lastAccepted;
TFormFloor::TValues TFormFloor::lastAccepted;

namespace {

constexpr int kBox = 192;
constexpr const char* kNoPictureMessage = "画像ファイルが選択されていません！";
constexpr const char* kPictureFailedMessage = "画像ファイルを読み込めませんでした！";

std::function<QString()> g_pictureChooser;

QString pixels(int v)
{
    return QString::asprintf("%3d", v) + QStringLiteral(" [pixel]");
}
QString percent(int v)
{
    return QString::asprintf("%3d", v) + QStringLiteral(" %");
}
QString wholeNumber(int v)
{
    return QString::asprintf("%3d", v);
}
QString degreesText(int v)
{
    return QString::asprintf("%3d", v) + QString::fromUtf8("°");
}
float radiansOf(int degrees)
{
    return float(degrees * std::numbers::pi / 180.0);
}
int degreesOf(float radians)
{
    return int(std::lround(double(radians) * 180.0 / std::numbers::pi));
}

// Radio buttons in a row, numbered from 0; the checked one starts as `checked`.
QButtonGroup* addChoice(QWidget* owner, QVBoxLayout* into, const char* objectName,
                        std::initializer_list<const char*> labels, int checked)
{
    auto* group = new QButtonGroup(owner);
    group->setObjectName(QString::fromLatin1(objectName));
    auto* row = new QHBoxLayout;
    int id = 0;
    for (const char* label : labels) {
        auto* button = new QRadioButton(uiText(label), owner);
        button->setObjectName(QString::fromLatin1(objectName) + QString::number(id));
        group->addButton(button, id);
        button->setChecked(id == checked);
        row->addWidget(button);
        ++id;
    }
    row->addStretch();
    into->addLayout(row);
    return group;
}

// Places the controls the dialog's helpers add into a group box while it lives.
class TControlsInGroup {
  public:
    TControlsInGroup(QVBoxLayout*& body, QWidget* owner, const char* title)
        : body_(body), saved_(body)
    {
        auto* group = new QGroupBox(uiText(title), owner);
        auto* layout = new QVBoxLayout(group);
        saved_->addWidget(group);
        body_ = layout;
    }
    ~TControlsInGroup() { body_ = saved_; }
    QVBoxLayout* layout() const { return body_; }

  private:
    QVBoxLayout*& body_;
    QVBoxLayout* saved_;
};

// A whole number from a field, or `fallback` when it cannot be read; clamped.
int fieldValue(const QLineEdit* field, int minimum, int maximum, int fallback)
{
    bool number = false;
    const int v = field->text().trimmed().toInt(&number);
    return std::clamp(number ? v : fallback, minimum, maximum);
}

} // namespace

void forgetGeneratorDialogValues()
{
    TFormTile::lastAccepted = {};
    TFormCloud::lastAccepted = {10, 50, 0, 0, false};
    TFormRock::lastAccepted = {50, 50, 0, 0, false};
    TFormLighting::lastAccepted = {};
    TFormFloor::lastAccepted = {};
}

void setFloorPictureChooser(std::function<QString()> chooser)
{
    g_pictureChooser = std::move(chooser);
}

// ---- the colour button ----

TColourButton::TColourButton(const QString& text, uint32_t colour, QWidget* parent)
    : QPushButton(text, parent), colour_(colour & 0xFFFFFFu)
{
    setColour(colour_);
    connect(this, &QPushButton::clicked, this, [this] { choose(); });
}

void TColourButton::setColour(uint32_t colour)
{
    colour_ = colour & 0xFFFFFFu;
    QPixmap swatch(16, 16);
    swatch.fill(QColor::fromRgb(QRgb(0xFF000000u | colour_)));
    setIcon(QIcon(swatch));
    emit colourChanged();
}

void TColourButton::choose()
{
    const QColor chosen =
        QColorDialog::getColor(QColor::fromRgb(QRgb(0xFF000000u | colour_)), this, text());
    if (chosen.isValid()) setColour(uint32_t(chosen.rgb()) & 0xFFFFFFu);
}

// ---- tile ----

TFormTile::TFormTile(TFilterPreviewHost& host, QWidget* parent)
    : TViewBoxDialog(host, "TFormTile", tr("Tile"), kBox, parent)
{
    const TValues& v = lastAccepted;
    body_->addWidget(view_, 0, Qt::AlignHCenter);
    width_ = addSlider("TrackWidth", uiText("幅"), 0, kMaxWidth, v.width, pixels);
    count_ = addChoice(this, body_, "RadioColours", {"2色", "3色"}, v.threeColours ? 1 : 0);
    std::array<uint32_t, 3> colours = v.colours;
    if (!v.coloursChosen) colours[0] = host.penColour(), colours[1] = host.secondColour();
    for (size_t i = 0; i < 3; ++i) {
        auto* row = new QHBoxLayout;
        colours_[i] = new TColourButton(uiText("色(&C)"), colours[i], this);
        colours_[i]->setObjectName(QStringLiteral("ButtonColour%1").arg(i));
        opacities_[i] = new QSlider(Qt::Horizontal, this);
        opacities_[i]->setObjectName(QStringLiteral("TrackOpacity%1").arg(i));
        opacities_[i]->setRange(0, 255);
        opacities_[i]->setValue(v.opacities[i]);
        row->addWidget(colours_[i]);
        row->addWidget(new QLabel(uiText("不透明度"), this));
        row->addWidget(opacities_[i]);
        body_->addLayout(row);
        connect(colours_[i], &TColourButton::colourChanged, this, [this] { changed(); });
        connect(opacities_[i], &QSlider::valueChanged, this, [this] { changed(); });
    }
    shape_ = addChoice(this, body_, "RadioShape", {"正方形", "正三角形"}, v.triangles ? 1 : 0);
    const auto enableThird = [this] {
        colours_[2]->setEnabled(count_->checkedId() == 1);
        opacities_[2]->setEnabled(count_->checkedId() == 1);
    };
    enableThird();
    connect(count_, &QButtonGroup::idClicked, this, [this, enableThird] {
        enableThird();
        changed();
    });
    connect(shape_, &QButtonGroup::idClicked, this, [this] { changed(); });
    changed();
}

TFilterParams TFormTile::params() const
{
    TTileParams p;
    p.width = width_->value();
    p.colourCount = count_->checkedId() == 1 ? 3 : 2;
    p.triangles = shape_->checkedId() == 1;
    for (size_t i = 0; i < 3; ++i)
        p.colours[i] = uint32_t(opacities_[i]->value()) << 24 | colours_[i]->colour();
    return p;
}

void TFormTile::remember()
{
    TValues v;
    v.width = width_->value();
    v.threeColours = count_->checkedId() == 1;
    v.triangles = shape_->checkedId() == 1;
    v.coloursChosen = true;
    for (size_t i = 0; i < 3; ++i) {
        v.colours[i] = colours_[i]->colour();
        v.opacities[i] = opacities_[i]->value();
    }
    lastAccepted = v;
}

// ---- cloud and rock ----

TPatternDialog::TPatternDialog(TFilterPreviewHost& host, bool rock, TValues& remembered,
                               QWidget* parent)
    : TViewBoxDialog(host, rock ? "TFormRock" : "TFormCloud",
                     rock ? uiText("岩模様") : tr("Clouds"), kBox, parent),
      rock_(rock), remembered_(remembered)
{
    // A new pattern and the pen's colours every time the dialog opens.
    seed_ = uint32_t(filterDialogClock());
    background_ = host.penColour();
    foreground_ = host.secondColour();
    const TValues& v = remembered_;
    body_->addWidget(view_, 0, Qt::AlignHCenter);
    contrast_ = addSlider("TrackContrast", uiText("ｺﾝﾄﾗｽﾄ"), 0, 100, v.contrast, wholeNumber);
    if (rock_)
        softness_ = addSlider("TrackSoftness", uiText("軟らかさ"), 0, 100, v.softness, wholeNumber);
    const QSize layer = host.layerSize();
    const int width = v.width > 0 ? v.width : std::min(layer.width(), 300);
    const int height = v.height > 0 ? v.height : std::min(layer.height(), 350);
    width_ = addField("EditWidth", uiText("幅"), QString::number(width));
    height_ = addField("EditHeight", uiText("高さ"), QString::number(height));
    repeat_ = new QCheckBox(uiText("指定の大きさで繰り返し(&M)"), this);
    repeat_->setObjectName(QStringLiteral("CheckRepeat"));
    repeat_->setChecked(v.repeat);
    body_->addWidget(repeat_);
    connect(repeat_, &QCheckBox::toggled, this, [this] { changed(); });
    auto* again = new QPushButton(uiText("ﾊﾟﾀｰﾝの再作成(&R)"), this);
    again->setObjectName(QStringLiteral("ButtonNewPattern"));
    body_->addWidget(again, 0, Qt::AlignLeft);
    connect(again, &QPushButton::clicked, this, [this] {
        seed_ = uint32_t(filterDialogClock());
        changed();
    });
}

void TPatternDialog::patternSize(int& width, int& height) const
{
    const QSize layer = host_.layerSize();
    if (!repeat_->isChecked()) {
        width = std::max(layer.width(), 1), height = std::max(layer.height(), 1);
        return;
    }
    width = fieldValue(width_, kMinSize, kMaxSize, kMinSize);
    height = fieldValue(height_, kMinSize, kMaxSize, kMinSize);
}

bool TPatternDialog::validate()
{
    int v = 0;
    return readWholeField(*width_, uiText("幅"), kMinSize, kMaxSize, v) &&
           readWholeField(*height_, uiText("高さ"), kMinSize, kMaxSize, v);
}

void TPatternDialog::remember()
{
    remembered_.contrast = contrast_->value();
    if (softness_) remembered_.softness = softness_->value();
    remembered_.width = fieldValue(width_, kMinSize, kMaxSize, kMinSize);
    remembered_.height = fieldValue(height_, kMinSize, kMaxSize, kMinSize);
    remembered_.repeat = repeat_->isChecked();
}

TFormCloud::TFormCloud(TFilterPreviewHost& host, QWidget* parent)
    : TPatternDialog(host, false, lastAccepted, parent)
{
    changed();
}

TFilterParams TFormCloud::params() const { return patternParams<TCloudParams>(); }

TFormRock::TFormRock(TFilterPreviewHost& host, QWidget* parent)
    : TPatternDialog(host, true, lastAccepted, parent)
{
    changed();
}

TFilterParams TFormRock::params() const
{
    TRockParams p = patternParams<TRockParams>();
    p.softness = softness_->value();
    return p;
}

// ---- lighting ----

TFormLighting::TFormLighting(TFilterPreviewHost& host, QWidget* parent)
    : TViewBoxDialog(host, "TFormLighting", tr("Lighting"), kBox, parent),
      light_(lastAccepted.light)
{
    view_->setWholeLayer(true);
    body_->addWidget(view_, 0, Qt::AlignHCenter);
    connect(view_, &TFilterViewBox::clicked, this, [this](QPoint at) {
        // A click places the light over that point of the layer.
        const QSize layer = host_.layerSize();
        if (layer.isEmpty()) return;
        light_.x = float((at.x() + 0.5) / layer.width());
        light_.y = float((at.y() + 0.5) / layer.height());
        changed();
    });
    {
        TControlsInGroup group(body_, this, "光源");
        auto* row = new QHBoxLayout;
        kind_ = new QComboBox(this);
        kind_->setObjectName(QStringLiteral("ComboKind"));
        for (const char* name : {"点光源", "ウォームライト", "スポットライト"})
            kind_->addItem(uiText(name));
        auto* kindLabel = new QLabel(uiText("種類(&K)"), this);
        kindLabel->setBuddy(kind_);
        colour_ = new TColourButton(uiText("色(&C)"), light_.colour, this);
        colour_->setObjectName(QStringLiteral("ButtonColour"));
        row->addWidget(kindLabel);
        row->addWidget(kind_);
        row->addWidget(colour_);
        row->addStretch();
        group.layout()->addLayout(row);
        strength_ = addSlider("TrackStrength", uiText("強さ"), 0, 500, light_.strength, percent);
        range_ = addSlider("TrackRange", uiText("範囲"), 0, 500, light_.range, percent);
        spread_ = addSlider("TrackSpread", uiText("拡がり"), 0, 100, light_.spread, percent);
        height_ = addSlider("TrackHeight", uiText("高さ"), 0, 100, light_.height, percent);
        elevation_ = addSlider("TrackElevation", uiText("角度"), -90, 90,
                               degreesOf(light_.elevation), degreesText);
        azimuth_ = addAngleDial("DialDirection", uiText("方向"),
                                (degreesOf(light_.azimuth) % 360 + 360) % 360);
    }
    {
        TControlsInGroup group(body_, this, "環境光");
        ambient_ = new TColourButton(uiText("色(&A)"), lastAccepted.ambientColour, this);
        ambient_->setObjectName(QStringLiteral("ButtonAmbient"));
        group.layout()->addWidget(ambient_, 0, Qt::AlignLeft);
        brightness_ = addSlider("TrackBrightness", uiText("明るさ"), -100, 100,
                                lastAccepted.brightness, wholeNumber);
    }
    kind_->setCurrentIndex(std::clamp(int(light_.kind), 0, 2));
    connect(kind_, &QComboBox::activated, this, [this](int kind) {
        loadKind(kind);
        changed();
    });
    connect(colour_, &TColourButton::colourChanged, this, [this] { changed(); });
    connect(ambient_, &TColourButton::colourChanged, this, [this] { changed(); });
    addResetButton([this] {
        loadKind(kind_->currentIndex());
        showing_ = true;
        const TValues defaults;
        ambient_->setColour(defaults.ambientColour);
        brightness_->setValue(defaults.brightness);
        showing_ = false;
    });
    changed();
}

void TFormLighting::loadKind(int kind)
{
    light_ = defaultLight(uint8_t(std::clamp(kind, 0, 2)));
    showValues();
}

void TFormLighting::showValues()
{
    showing_ = true;
    kind_->setCurrentIndex(light_.kind);
    colour_->setColour(light_.colour);
    strength_->setValue(light_.strength);
    range_->setValue(light_.range);
    spread_->setValue(light_.spread);
    height_->setValue(light_.height);
    elevation_->setValue(degreesOf(light_.elevation));
    azimuth_->setValue((degreesOf(light_.azimuth) % 360 + 360) % 360);
    showing_ = false;
}

void TFormLighting::changed()
{
    if (showing_ || !brightness_) return;
    // The controls edit the light; what a slider cannot show exactly (the default's angles
    // in radians) stays as it is until that control is moved.
    light_.colour = colour_->colour();
    light_.strength = strength_->value();
    light_.range = range_->value();
    light_.spread = spread_->value();
    light_.height = height_->value();
    if (elevation_->value() != degreesOf(light_.elevation))
        light_.elevation = radiansOf(elevation_->value());
    if (azimuth_->value() != (degreesOf(light_.azimuth) % 360 + 360) % 360)
        light_.azimuth = radiansOf(azimuth_->value());
    view_->setPicture(host_.previewReduced(params(), view_->size()));
    view_->setMarker(QPoint(int(light_.x * host_.layerSize().width()),
                            int(light_.y * host_.layerSize().height())));
}

TFilterParams TFormLighting::params() const
{
    TLightingParams p;
    p.brightness = brightness_->value();
    p.ambientColour = ambient_->colour();
    p.lights = {light_};
    return p;
}

void TFormLighting::remember()
{
    lastAccepted = {light_, ambient_->colour(), brightness_->value()};
}

// ---- floor ----

TFormFloor::TFormFloor(TFilterPreviewHost& host, QWidget* parent)
    : TViewBoxDialog(host, "TFormFloor", uiText("床"), kBox, parent)
{
    const TValues& v = lastAccepted;
    body_->addWidget(view_, 0, Qt::AlignHCenter);
    {
        TControlsInGroup group(body_, this, "カメラ設定");
        x_ = addSlider("TrackX", uiText("&X"), -200, 200, v.x, wholeNumber);
        y_ = addSlider("TrackY", uiText("&Y"), -100, 100, v.y, wholeNumber);
        z_ = addSlider("TrackZ", uiText("&Z"), 0, 400, v.z, wholeNumber);
        heading_ = addSlider("TrackHeading", uiText("横回転(&H)"), 0, 359, v.heading, degreesText);
        pitch_ = addSlider("TrackPitch", uiText("縦回転(&P)"), 0, 359, v.pitch, degreesText);
    }
    screen_ = addSlider("TrackScreen", uiText("スクリーン距離(&D)"), 0, 400, v.screen, wholeNumber);
    ceiling_ = addSlider("TrackCeiling", uiText("天井の高さ(&S)"), 0, 400, v.ceiling, wholeNumber);
    {
        TControlsInGroup group(body_, this, "テクスチャ");
        const char* planes[2] = {"天井", "床"};
        const char* checks[2] = {"ファイルを選択する(&1)", "ファイルを選択する(&2)"};
        for (int plane = 0; plane < 2; ++plane) {
            auto* row = new QHBoxLayout;
            row->addWidget(new QLabel(uiText(planes[plane]), this));
            fromFile_[size_t(plane)] = new QCheckBox(uiText(checks[plane]), this);
            fromFile_[size_t(plane)]->setObjectName(QStringLiteral("CheckFile%1").arg(plane + 1));
            auto* choose = new QPushButton(uiText("選択"), this);
            choose->setObjectName(QStringLiteral("ButtonFile%1").arg(plane + 1));
            fileName_[size_t(plane)] = new QLabel(this);
            row->addWidget(fromFile_[size_t(plane)]);
            row->addWidget(choose);
            row->addWidget(fileName_[size_t(plane)], 1);
            group.layout()->addLayout(row);
            connect(fromFile_[size_t(plane)], &QCheckBox::toggled, this, [this] { changed(); });
            connect(choose, &QPushButton::clicked, this, [this, plane] { choosePicture(plane); });
        }
    }
    {
        TControlsInGroup group(body_, this, "奥行き");
        far_ = addSlider("TrackFar", uiText("距離(&F)"), 0, 100, v.far, wholeNumber);
        density_ = addField("EditDensity", uiText("濃度(&A)"), QString::number(v.density));
        farColour_ = new TColourButton(uiText("色(&C)"), v.farColour, this);
        farColour_->setObjectName(QStringLiteral("ButtonFarColour"));
        transparent_ = new QCheckBox(uiText("透明色(&O)"), this);
        transparent_->setObjectName(QStringLiteral("CheckTransparent"));
        toHorizon_ = new QCheckBox(uiText("水平線まで描画する(&E)"), this);
        toHorizon_->setObjectName(QStringLiteral("CheckHorizon"));
        auto* row = new QHBoxLayout;
        row->addWidget(farColour_);
        row->addWidget(transparent_);
        row->addWidget(toHorizon_);
        row->addStretch();
        group.layout()->addLayout(row);
    }
    keepLayer_ = new QCheckBox(uiText("現在のレイヤ画像を残す(&B)"), this);
    keepLayer_->setObjectName(QStringLiteral("CheckKeepLayer"));
    body_->addWidget(keepLayer_);
    transparent_->setChecked(v.transparent);
    toHorizon_->setChecked(v.toHorizon);
    keepLayer_->setChecked(v.keepLayer);
    for (QCheckBox* box : {transparent_, toHorizon_, keepLayer_})
        connect(box, &QCheckBox::toggled, this, [this] { changed(); });
    connect(farColour_, &TColourButton::colourChanged, this, [this] { changed(); });
    changed();
}

void TFormFloor::choosePicture(int plane)
{
    const QString path =
        g_pictureChooser ? g_pictureChooser()
                         : QFileDialog::getOpenFileName(this, uiText("選択"), QString(),
                                                        tr("Pictures (*.png *.jpg *.jpeg *.bmp)"));
    if (path.isEmpty()) return;
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QImage image = reader.read();
    TMTC& picture = plane == 0 ? pictures_.first : pictures_.second;
    if (image.isNull()) {
        showWarning(uiText(kPictureFailedMessage));
        return;
    }
    picture = fromQImage(image);
    fileName_[size_t(plane)]->setText(QFileInfo(path).fileName());
    fromFile_[size_t(plane)]->setChecked(true);
    changed();
}

TFormFloor::TValues TFormFloor::current() const
{
    TValues v;
    v.x = x_->value(), v.y = y_->value(), v.z = z_->value();
    v.heading = heading_->value(), v.pitch = pitch_->value();
    v.screen = screen_->value(), v.ceiling = ceiling_->value();
    v.far = far_->value();
    v.density = fieldValue(density_, 0, 100, 100);
    v.farColour = farColour_->colour();
    v.transparent = transparent_->isChecked();
    v.toHorizon = toHorizon_->isChecked();
    v.keepLayer = keepLayer_->isChecked();
    return v;
}

TFilterParams TFormFloor::params() const
{
    const TValues v = current();
    TFloorParams p;
    p.cameraX = v.x + 200;
    p.cameraHeight = float((100 - v.y) * v.ceiling / 200.0);
    p.cameraZ = v.z;
    p.heading = -radiansOf(v.heading);
    p.pitch = radiansOf(v.pitch);
    p.screenDistance = v.screen;
    p.ceiling = v.ceiling;
    p.density = v.density;
    p.farColour = v.farColour;
    p.transparentColour = v.transparent;
    p.toHorizon = v.toHorizon;
    p.keepLayer = v.keepLayer;
    p.farDistance = uint8_t(v.far);
    // A plane whose file is not loaded yet shows the layer meanwhile.
    p.ceilingFromFile = fromFile_[0]->isChecked() && pictures_.first.IsValid();
    p.floorFromFile = fromFile_[1]->isChecked() && pictures_.second.IsValid();
    return p;
}

bool TFormFloor::validate()
{
    for (int plane = 0; plane < 2; ++plane)
        if (fromFile_[size_t(plane)]->isChecked() &&
            !(plane == 0 ? pictures_.first : pictures_.second).IsValid()) {
            showWarning(uiText(kNoPictureMessage));
            return false;
        }
    int density = 0;
    return readWholeField(*density_, uiText("濃度"), 0, 100, density);
}

void TFormFloor::remember()
{
    lastAccepted = current();
}

} // namespace qm::ui
