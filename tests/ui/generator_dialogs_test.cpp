// The dialogs of the filters that paint new content, against the stand-in drawing window:
// what each starts with (the pen's colours, a seed from the clock, the start size), the
// parameters OK hands back, the checks that keep a dialog open, remembered values, and the
// floor's pictures from files.
#include "filter_dialog_fixture.h"
#include "ui/generator_dialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDial>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>

#include <numbers>

namespace qm::ui::test {

namespace {

class GeneratorDialogs : public FilterDialogFixture {
  protected:
    void TearDown() override
    {
        setFloorPictureChooser(nullptr);
        FilterDialogFixture::TearDown();
    }
};

} // namespace

TEST_F(GeneratorDialogs, CloudAndRockStartFromThePenTheClockAndTheLayer)
{
    // 300 × 200 layer: the start size is min(300, 300) × min(200, 350).
    ASSERT_TRUE(run<TFormCloud>(TFilterNumber::Cloud, [&](TFormCloud& d) {
        EXPECT_EQ(d.widthField()->text(), QStringLiteral("300"));
        EXPECT_EQ(d.heightField()->text(), QStringLiteral("200"));
        EXPECT_EQ(child<QSlider>(d, "TrackContrast")->value(), 10);
        EXPECT_EQ(d.seed(), uint32_t(now));
        // A new pattern takes the clock again.
        now += 1234;
        child<QPushButton>(d, "ButtonNewPattern")->click();
        EXPECT_EQ(d.seed(), uint32_t(now));
        child<QCheckBox>(d, "CheckRepeat")->setChecked(true);
        d.widthField()->setText(QStringLiteral("64"));
        d.heightField()->setText(QStringLiteral("48"));
        child<QSlider>(d, "TrackContrast")->setValue(35);
        d.accept();
    }));
    const auto& cloud = std::get<TCloudParams>(out);
    EXPECT_EQ(cloud.contrast, 35);
    EXPECT_EQ(cloud.width, 64);
    EXPECT_EQ(cloud.height, 48);
    EXPECT_EQ(cloud.seed, uint32_t(now));
    EXPECT_EQ(cloud.background, host.pen);    // the pen's colour under the pattern
    EXPECT_EQ(cloud.foreground, host.second); // the second colour where it is strong
    EXPECT_FALSE(host.areas.empty());         // the box previewed

    // Remembered, but the seed and the colours are new each time.
    host.pen = 0x445566u;
    now += 5000;
    ASSERT_TRUE(run<TFormCloud>(TFilterNumber::Cloud, [&](TFormCloud& d) {
        EXPECT_EQ(d.widthField()->text(), QStringLiteral("64"));
        EXPECT_TRUE(child<QCheckBox>(d, "CheckRepeat")->isChecked());
        // Without repeat the pattern is the layer's size.
        child<QCheckBox>(d, "CheckRepeat")->setChecked(false);
        d.accept();
    }));
    EXPECT_EQ(std::get<TCloudParams>(out).seed, uint32_t(now));
    EXPECT_EQ(std::get<TCloudParams>(out).background, 0x445566u);
    EXPECT_EQ(std::get<TCloudParams>(out).width, 300);
    EXPECT_EQ(std::get<TCloudParams>(out).height, 200);

    // The rock: contrast and softness default to 50; a size below 20 keeps the dialog open.
    ASSERT_TRUE(run<TFormRock>(TFilterNumber::Rock, [&](TFormRock& d) {
        EXPECT_EQ(child<QSlider>(d, "TrackContrast")->value(), 50);
        EXPECT_EQ(child<QSlider>(d, "TrackSoftness")->value(), 50);
        child<QSlider>(d, "TrackSoftness")->setValue(80);
        child<QCheckBox>(d, "CheckRepeat")->setChecked(true);
        d.widthField()->setText(QStringLiteral("19"));
        d.accept();
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(hook.shown.value(0),
                  uiText("%sは %d ～ %d にしてください！",
                         {uiText("幅"), QStringLiteral("20"), QStringLiteral("10000")}));
        d.widthField()->setText(QStringLiteral("20"));
        d.accept();
    }));
    EXPECT_EQ(std::get<TRockParams>(out).softness, 80);
    EXPECT_EQ(std::get<TRockParams>(out).width, 20);
    EXPECT_EQ(std::get<TRockParams>(out).height, 200);
}

TEST_F(GeneratorDialogs, TilesTakeWidthColoursOpacitiesAndShape)
{
    ASSERT_TRUE(run<TFormTile>(TFilterNumber::Tile, [&](TFormTile& d) {
        // Until the first OK the pen's two colours are offered.
        EXPECT_EQ(d.colourButton(0)->colour(), host.pen);
        EXPECT_EQ(d.colourButton(1)->colour(), host.second);
        EXPECT_FALSE(d.colourButton(2)->isEnabled()); // two colours
        child<QRadioButton>(d, "RadioColours1")->click();
        EXPECT_TRUE(d.colourButton(2)->isEnabled());
        d.colourButton(2)->setColour(0x00FF00u);
        child<QSlider>(d, "TrackOpacity1")->setValue(128);
        child<QRadioButton>(d, "RadioShape1")->click();
        child<QSlider>(d, "TrackWidth")->setValue(12);
        d.accept();
    }));
    const auto& tile = std::get<TTileParams>(out);
    EXPECT_EQ(tile.width, 12);
    EXPECT_EQ(tile.colourCount, 3);
    EXPECT_TRUE(tile.triangles);
    EXPECT_EQ(tile.colours[0], 0xFF000000u | host.pen);
    EXPECT_EQ(tile.colours[1], 0x80000000u | host.second);
    EXPECT_EQ(tile.colours[2], 0xFF00FF00u);
    host.pen = 0x777777u;
    ASSERT_TRUE(run<TFormTile>(TFilterNumber::Tile, [&](TFormTile& d) {
        EXPECT_EQ(d.colourButton(0)->colour(), 0x102030u); // the chosen colour is kept
        d.accept();
    }));
}

TEST_F(GeneratorDialogs, LightingEditsOneLightPlacedByAClickInTheMiniature)
{
    ASSERT_TRUE(run<TFormLighting>(TFilterNumber::Lighting, [&](TFormLighting& d) {
        // A point light, and the ambient light's start.
        EXPECT_EQ(child<QSlider>(d, "TrackStrength")->value(), 300);
        EXPECT_EQ(child<QSlider>(d, "TrackRange")->value(), 100);
        EXPECT_EQ(child<TColourButton>(d, "ButtonColour")->colour(), 0xFCF9E9u);
        EXPECT_EQ(child<TColourButton>(d, "ButtonAmbient")->colour(), 0xFFFEC7u);
        EXPECT_EQ(child<QSlider>(d, "TrackBrightness")->value(), 0);
        EXPECT_FALSE(host.reducedParams.empty()); // the whole layer in miniature
        EXPECT_TRUE(host.areas.empty());
        // The warm light's own record, angles exactly as the record has them.
        auto* kind = child<QComboBox>(d, "ComboKind");
        kind->setCurrentIndex(1);
        emit kind->activated(1);
        EXPECT_EQ(d.light().strength, 180);
        EXPECT_EQ(d.light().range, 200);
        EXPECT_EQ(d.light().spread, 10);
        EXPECT_EQ(d.light().azimuth, 2.3561945f);
        EXPECT_EQ(d.light().elevation, 0.17453292f);
        EXPECT_EQ(child<QDial>(d, "DialDirection")->value(), 135);
        EXPECT_EQ(child<QSlider>(d, "TrackElevation")->value(), 10);
        // A click at the box's centre: the 300 × 200 layer is shown at scale 300 / 192.
        click(d.viewBox(), QPoint(96, 96));
        EXPECT_NEAR(d.light().x, 0.5f, 0.01f);
        EXPECT_NEAR(d.light().y, 0.5f, 0.02f);
        child<QSlider>(d, "TrackStrength")->setValue(250);
        child<QSlider>(d, "TrackElevation")->setValue(-30);
        child<QSlider>(d, "TrackBrightness")->setValue(40);
        d.accept();
    }));
    const auto& lighting = std::get<TLightingParams>(out);
    ASSERT_EQ(lighting.lights.size(), 1u);
    EXPECT_EQ(lighting.lights[0].kind, 1);
    EXPECT_EQ(lighting.lights[0].strength, 250);
    EXPECT_FLOAT_EQ(lighting.lights[0].elevation, float(-30 * std::numbers::pi / 180.0));
    EXPECT_EQ(lighting.lights[0].azimuth, 2.3561945f); // untouched
    EXPECT_EQ(lighting.brightness, 40);

    // Remembered; the reset button goes back to the kind's record and the ambient start.
    ASSERT_TRUE(run<TFormLighting>(TFilterNumber::Lighting, [&](TFormLighting& d) {
        EXPECT_EQ(d.light().strength, 250);
        EXPECT_EQ(child<QSlider>(d, "TrackBrightness")->value(), 40);
        child<QPushButton>(d, "ButtonReset")->click();
        EXPECT_EQ(d.light().strength, 180);
        EXPECT_EQ(d.light().elevation, 0.17453292f);
        EXPECT_EQ(child<QSlider>(d, "TrackBrightness")->value(), 0);
        d.accept();
    }));
    EXPECT_EQ(std::get<TLightingParams>(out).lights[0].strength, 180);
}

TEST_F(GeneratorDialogs, FloorMapsItsControlsAndLoadsItsPicturesFromFiles)
{
    QTemporaryDir dir;
    const QString picturePath = dir.filePath(QStringLiteral("stone.png"));
    QImage stone(5, 3, QImage::Format_ARGB32);
    stone.fill(0xFF806040u);
    stone.setPixel(0, 0, 0xFF000000u);
    ASSERT_TRUE(stone.save(picturePath));

    ASSERT_TRUE(run<TFormFloor>(TFilterNumber::Floor, [&](TFormFloor& d) {
        child<QSlider>(d, "TrackY")->setValue(20);
        child<QSlider>(d, "TrackCeiling")->setValue(300);
        child<QSlider>(d, "TrackX")->setValue(-50);
        child<QSlider>(d, "TrackHeading")->setValue(90);
        child<QSlider>(d, "TrackPitch")->setValue(30);
        child<QSlider>(d, "TrackFar")->setValue(70);
        // A file asked for but not chosen keeps the dialog open.
        child<QCheckBox>(d, "CheckFile2")->setChecked(true);
        d.accept();
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(hook.shown.value(0), uiText("画像ファイルが選択されていません！"));
        setFloorPictureChooser([&] { return picturePath; });
        child<QPushButton>(d, "ButtonFile2")->click();
        ASSERT_FALSE(host.areaPictures.empty());
        EXPECT_NE(host.areaPictures.back(), nullptr);
        EXPECT_TRUE(std::get<TFloorParams>(d.params()).floorFromFile);
        // A density outside 0 … 100 is refused.
        child<QLineEdit>(d, "EditDensity")->setText(QStringLiteral("101"));
        d.accept();
        EXPECT_TRUE(d.isVisible());
        child<QLineEdit>(d, "EditDensity")->setText(QStringLiteral("60"));
        d.accept();
    }));
    const auto& floor = std::get<TFloorParams>(out);
    EXPECT_EQ(floor.cameraX, 150);               // X + 200
    EXPECT_FLOAT_EQ(floor.cameraHeight, 120.0f); // (100 − 20) · 300 / 200
    EXPECT_FLOAT_EQ(floor.heading, float(-std::numbers::pi / 2));
    EXPECT_FLOAT_EQ(floor.pitch, float(std::numbers::pi / 6));
    EXPECT_EQ(floor.ceiling, 300);
    EXPECT_EQ(floor.density, 60);
    EXPECT_EQ(floor.farDistance, 70);
    EXPECT_FALSE(floor.ceilingFromFile);
    EXPECT_TRUE(floor.floorFromFile);
    // The picture comes out with the parameters, pixel for pixel.
    ASSERT_TRUE(pictures.second.IsValid());
    EXPECT_FALSE(pictures.first.IsValid());
    EXPECT_EQ(pictures.second.width(), 5);
    EXPECT_EQ(pictures.second.height(), 3);
    EXPECT_EQ(pictures.second.pixel(0, 0), 0xFF000000u);
    EXPECT_EQ(pictures.second.pixel(4, 2), 0xFF806040u);

    // A file that is not a picture says so and changes nothing.
    const QString junk = dir.filePath(QStringLiteral("junk.png"));
    {
        QFile f(junk);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a picture");
    }
    hook.shown.clear();
    setFloorPictureChooser([&] { return junk; });
    ASSERT_TRUE(run<TFormFloor>(TFilterNumber::Floor, [&](TFormFloor& d) {
        EXPECT_EQ(child<QSlider>(d, "TrackY")->value(), 20); // remembered
        child<QPushButton>(d, "ButtonFile1")->click();
        EXPECT_EQ(hook.shown.value(0), uiText("画像ファイルを読み込めませんでした！"));
        EXPECT_FALSE(child<QCheckBox>(d, "CheckFile1")->isChecked());
        d.accept();
    }));
    EXPECT_FALSE(std::get<TFloorParams>(out).ceilingFromFile);
}

} // namespace qm::ui::test
