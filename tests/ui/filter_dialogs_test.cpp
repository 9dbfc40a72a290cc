// The filter dialogs against a stand-in drawing window that counts what it is asked: ranges,
// defaults and shown values, when the canvas preview is recomputed, restoring on close, the
// parameters OK hands back, field checks, remembered values and the view box.
#include "filter_dialog_fixture.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDial>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>

// Readable failure messages for texts (found by argument-dependent lookup).
static void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace qm::ui::test {

namespace {

using FilterDialogs = FilterDialogFixture;

// ---- dialogs, ranges and defaults ----

TEST_F(FilterDialogs, FiltersWithoutADialogAnswerAtOnceWithTheirOwnParameters)
{
    const std::pair<TFilterNumber, size_t> plain[] = {
        {TFilterNumber::Blur, 0},          {TFilterNumber::StrongBlur, 1},
        {TFilterNumber::Sharpen, 4},       {TFilterNumber::StrongSharpen, 5},
        {TFilterNumber::Monochrome, 11}};
    for (auto [number, index] : plain) {
        out = TWaveParams{};
        EXPECT_TRUE(askFilterParams(number, host, nullptr, out));
        EXPECT_EQ(out.index(), index);
        EXPECT_EQ(filterNumberOf(out), number);
    }
    EXPECT_TRUE(host.previews.empty());
    EXPECT_EQ(host.restores, 0);
    EXPECT_TRUE(host.areas.empty());
}

TEST_F(FilterDialogs, SlidersOfferTheirRangesDefaultsAndShownFormats)
{
    run<TFormContrast>(TFilterNumber::BrightnessContrast, [](TFormContrast& d) {
        for (const char* name : {"TrackBrightness", "TrackContrast"}) {
            QSlider* s = child<QSlider>(d, name);
            EXPECT_EQ(s->minimum(), -100);
            EXPECT_EQ(s->maximum(), 100);
            EXPECT_EQ(s->value(), 0);
            EXPECT_EQ(shown(d, name), QStringLiteral("  0"));
        }
        child<QSlider>(d, "TrackContrast")->setValue(-7);
        EXPECT_EQ(shown(d, "TrackContrast"), QStringLiteral(" -7"));
        d.reject();
    });
    run<TFormHLS>(TFilterNumber::HueSaturationLightness, [](TFormHLS& d) {
        QSlider* hue = child<QSlider>(d, "TrackHue");
        EXPECT_EQ(hue->minimum(), -200);
        EXPECT_EQ(hue->maximum(), 200);
        EXPECT_EQ(child<QSlider>(d, "TrackLightness")->minimum(), -100);
        hue->setValue(120);
        child<QPushButton>(d, "ButtonReset")->click();
        EXPECT_EQ(hue->value(), 0);
        d.reject();
    });
    run<TFormGamma>(TFilterNumber::Gamma, [](TFormGamma& d) {
        QSlider* s = child<QSlider>(d, "TrackGamma");
        EXPECT_EQ(s->value(), 100);
        EXPECT_EQ(shown(d, "TrackGamma"), QStringLiteral("1.000"));
        s->setValue(50); // 0.5 + 50·0.005
        EXPECT_EQ(shown(d, "TrackGamma"), QStringLiteral("0.750"));
        child<QPushButton>(d, "ButtonReset")->click();
        EXPECT_EQ(s->value(), 100);
        d.reject();
    });
    run<TFormMotionBlur>(TFilterNumber::MotionBlur, [](TFormMotionBlur& d) {
        QSlider* amount = child<QSlider>(d, "TrackAmount");
        EXPECT_EQ(amount->minimum(), 1);
        EXPECT_EQ(amount->maximum(), 100);
        EXPECT_EQ(shown(d, "TrackAmount"), QStringLiteral("  1 [pixel]"));
        EXPECT_EQ(child<QDial>(d, "DialAngle")->maximum(), 359);
        EXPECT_EQ(shown(d, "DialAngle"), QString::fromUtf8("  0°"));
        EXPECT_EQ(d.viewBox()->size(), QSize(128, 128));
        d.reject();
    });
    run<TFormEmboss>(TFilterNumber::Emboss, [](TFormEmboss& d) {
        EXPECT_EQ(shown(d, "TrackHeight"), QStringLiteral("1.00"));
        EXPECT_EQ(shown(d, "DialAngle"), QString::fromUtf8(" 45°"));
        d.reject();
    });
    run<TFormSharpCustom>(TFilterNumber::AdjustableSharpen, [](TFormSharpCustom& d) {
        QSlider* s = child<QSlider>(d, "TrackStrength");
        EXPECT_EQ(shown(d, "TrackStrength"), QStringLiteral("0.30"));
        s->setValue(100);
        child<QPushButton>(d, "ButtonReset")->click();
        EXPECT_EQ(s->value(), 30);
        d.reject();
    });
    run<TFormTwist>(TFilterNumber::Twist, [](TFormTwist& d) {
        QSlider* s = child<QSlider>(d, "TrackTwist");
        EXPECT_EQ(s->maximum(), 400);
        EXPECT_EQ(s->value(), 200);
        EXPECT_EQ(s->tickInterval(), 25);
        EXPECT_EQ(shown(d, "TrackTwist"), QStringLiteral("0.00 ") + uiText("回転"));
        s->setValue(0); // τ = 8, shown with the opposite sign
        EXPECT_EQ(shown(d, "TrackTwist"), QStringLiteral("-8.00 ") + uiText("回転"));
        d.reject();
    });
    run<TFormNoize>(TFilterNumber::Noise, [](TFormNoize& d) {
        EXPECT_EQ(child<QSlider>(d, "TrackAmount")->maximum(), 512);
        EXPECT_TRUE(child<QRadioButton>(d, "RadioRGB")->isChecked());
        d.reject();
    });
}

// ---- the canvas preview ----

TEST_F(FilterDialogs, TheCanvasPreviewWaitsForAPauseAndSkipsValuesAlreadyShown)
{
    const bool accepted = run<TFormGamma>(TFilterNumber::Gamma, [this](TFormGamma& d) {
        EXPECT_TRUE(d.previewBox()->isChecked());
        EXPECT_EQ(d.previewTimer()->interval(), 200);
        EXPECT_TRUE(d.previewTimer()->isActive());
        // Opening counts as a change: the opening values show after the pause.
        now += 799;
        d.pollPreview();
        EXPECT_EQ(host.previews.size(), 0u);
        now += 1;
        d.pollPreview();
        ASSERT_EQ(host.previews.size(), 1u);
        EXPECT_EQ(std::get<TGammaParams>(host.previews[0]).red, 1.0f);
        now += 5000;
        d.pollPreview();
        EXPECT_EQ(host.previews.size(), 1u);

        QSlider* s = child<QSlider>(d, "TrackGamma");
        s->setValue(200);
        now += 700;
        d.pollPreview();
        EXPECT_EQ(host.previews.size(), 1u);
        s->setValue(199); // a further change restarts the pause
        s->setValue(200);
        now += 700;
        d.pollPreview();
        EXPECT_EQ(host.previews.size(), 1u);
        now += 100;
        d.pollPreview();
        ASSERT_EQ(host.previews.size(), 2u);
        EXPECT_EQ(std::get<TGammaParams>(host.previews[1]).green, 2.0f);

        // Back and forth to the value on the canvas: nothing to recompute.
        s->setValue(150);
        s->setValue(200);
        now += 1000;
        d.pollPreview();
        EXPECT_EQ(host.previews.size(), 2u);
        EXPECT_EQ(host.restores, 0);
        d.reject();
    });
    EXPECT_FALSE(accepted);
    EXPECT_EQ(host.restores, 1);
}

TEST_F(FilterDialogs, UncheckingThePreviewRestoresAndStopsIt)
{
    run<TFormContrast>(TFilterNumber::BrightnessContrast, [this](TFormContrast& d) {
        now += 800;
        d.pollPreview();
        ASSERT_EQ(host.previews.size(), 1u);
        d.previewBox()->setChecked(false);
        EXPECT_EQ(host.restores, 1);
        child<QSlider>(d, "TrackBrightness")->setValue(40);
        now += 2000;
        d.pollPreview();
        EXPECT_EQ(host.previews.size(), 1u);
        // Checked again, the canvas is back at the source, so the same values show anew.
        d.previewBox()->setChecked(true);
        d.pollPreview();
        EXPECT_EQ(host.previews.size(), 1u);
        now += 800;
        d.pollPreview();
        ASSERT_EQ(host.previews.size(), 2u);
        EXPECT_EQ(std::get<TBrightnessContrastParams>(host.previews[1]).brightness, 40.0f);
        d.reject();
    });
}

TEST_F(FilterDialogs, OkRestoresTheCanvasAndHandsBackTheMappedParameters)
{
    EXPECT_TRUE(run<TFormGamma>(TFilterNumber::Gamma, [](TFormGamma& d) {
        child<QSlider>(d, "TrackGamma")->setValue(200);
        d.accept();
    }));
    EXPECT_EQ(host.restores, 1);
    const auto gamma = std::get<TGammaParams>(out);
    EXPECT_EQ(gamma.blue, 2.0f); // 1 + (200 − 100)/100
    EXPECT_EQ(gamma.green, 2.0f);
    EXPECT_EQ(gamma.red, 2.0f);

    EXPECT_TRUE(run<TFormTwist>(TFilterNumber::Twist, [](TFormTwist& d) { d.accept(); }));
    EXPECT_EQ(std::get<TTwistParams>(out).turns, 0.0f);
    EXPECT_TRUE(run<TFormTwist>(TFilterNumber::Twist, [](TFormTwist& d) {
        child<QSlider>(d, "TrackTwist")->setValue(100); // 0.04·(200 − 100)
        child<QCheckBox>(d, "CheckCenter")->setChecked(true);
        d.accept();
    }));
    EXPECT_NEAR(std::get<TTwistParams>(out).turns, 4.0f, 1e-6);
    EXPECT_TRUE(std::get<TTwistParams>(out).centreOnly);

    EXPECT_TRUE(run<TFormWave>(TFilterNumber::Wave, [](TFormWave& d) {
        child<QSlider>(d, "TrackPhase")->setValue(6);
        child<QLineEdit>(d, "EditVCount")->setText(QStringLiteral("3"));
        child<QLineEdit>(d, "EditHCount")->setText(QStringLiteral("5"));
        child<QLineEdit>(d, "EditVStrength")->setText(QStringLiteral("20"));
        child<QLineEdit>(d, "EditHStrength")->setText(QStringLiteral("40"));
        d.accept();
    }));
    const auto wave = std::get<TWaveParams>(out);
    EXPECT_FLOAT_EQ(wave.phase, float(6 * 0.5235983333));
    // Vertical waves are the column wave, horizontal ones the row wave.
    EXPECT_EQ(wave.columnWaves, 3.0f);
    EXPECT_EQ(wave.rowWaves, 5.0f);
    EXPECT_EQ(wave.columnStrength, 20.0f);
    EXPECT_EQ(wave.rowStrength, 40.0f);

    EXPECT_TRUE(run<TFormNoize>(TFilterNumber::Noise, [](TFormNoize& d) {
        child<QSlider>(d, "TrackAmount")->setValue(300);
        child<QRadioButton>(d, "RadioMono")->setChecked(true);
        d.accept();
    }));
    EXPECT_EQ(std::get<TNoiseParams>(out).amount, 600);
    EXPECT_TRUE(std::get<TNoiseParams>(out).monochrome);

    EXPECT_TRUE(run<TFormEmboss>(TFilterNumber::Emboss, [](TFormEmboss& d) {
        child<QSlider>(d, "TrackHeight")->setValue(25);
        child<QDial>(d, "DialAngle")->setValue(90);
        d.accept();
    }));
    EXPECT_FLOAT_EQ(std::get<TEmbossParams>(out).height, 2.5f);
    EXPECT_FLOAT_EQ(std::get<TEmbossParams>(out).angle, float(std::numbers::pi / 2));

    EXPECT_TRUE(run<TFormMotionBlur>(TFilterNumber::MotionBlur, [](TFormMotionBlur& d) {
        child<QSlider>(d, "TrackAmount")->setValue(7);
        child<QDial>(d, "DialAngle")->setValue(180);
        d.accept();
    }));
    EXPECT_EQ(std::get<TMotionBlurParams>(out).amount, 7);
    EXPECT_FLOAT_EQ(std::get<TMotionBlurParams>(out).angle, float(std::numbers::pi));

    // 255 levels are offered, but the table takes at most 254.
    EXPECT_TRUE(run<TFormPoster>(TFilterNumber::Posterize, [](TFormPoster& d) {
        EXPECT_EQ(d.field()->text(), QStringLiteral("3"));
        d.field()->setText(QStringLiteral("255"));
        d.accept();
    }));
    EXPECT_EQ(std::get<TPosterizeParams>(out).levels, 254);
}

TEST_F(FilterDialogs, LevelsKeepTheirThumbsInOrderAndScaleTheHistogramToFourTimesTheMean)
{
    host.bins.fill(4);
    host.bins[0] = 100000; // left out of the mean
    host.bins[7] = 8;      // bins 1 … 255 now sum to 1024
    EXPECT_TRUE(run<TFormLevel>(TFilterNumber::Levels, [](TFormLevel& d) {
        EXPECT_EQ(d.inputSlider()->values(), (std::vector<int>{0, 128, 255}));
        EXPECT_EQ(d.outputSlider()->values(), (std::vector<int>{0, 255}));
        // count·128 / (4·1024/255)
        EXPECT_EQ(d.histogramView()->barHeight(1), 31);
        EXPECT_EQ(d.histogramView()->barHeight(7), 63);
        EXPECT_EQ(d.histogramView()->barHeight(0), 128);
        d.inputSlider()->setValue(0, 10);
        d.inputSlider()->setValue(2, 200);
        d.inputSlider()->setValue(1, 5); // not below the minimum's neighbour
        EXPECT_EQ(d.inputSlider()->values()[1], 11);
        d.inputSlider()->setValue(1, 100);
        d.outputSlider()->setValue(0, 20);
        d.outputSlider()->setValue(1, 230);
        d.accept();
    }));
    const auto levels = std::get<TLevelsParams>(out);
    EXPECT_EQ(levels.inputMin, 10);
    EXPECT_EQ(levels.inputMid, 100);
    EXPECT_EQ(levels.inputMax, 200);
    EXPECT_EQ(levels.outputMin, 20);
    EXPECT_EQ(levels.outputMax, 230);
}

// ---- field checks ----

TEST_F(FilterDialogs, AFieldThatCannotBeReadKeepsTheDialogOpenWithItsMessage)
{
    EXPECT_TRUE(run<TFormGauss>(TFilterNumber::GaussianBlur, [this](TFormGauss& d) {
        QLineEdit* field = d.field();
        EXPECT_EQ(field->text(), QStringLiteral("1.0"));
        const QString name = uiText("ぼかし強度");
        const std::pair<const char*, QString> bad[] = {
            {"abc", uiText("不正な文字により数値を読みとれません！")},
            {"11", uiText("%sは %d ～ %d にしてください！", {name, QStringLiteral("0"), QStringLiteral("10")})},
            {"", uiText("%sが必要です！", {name})}};
        for (const auto& [text, message] : bad) {
            hook.shown.clear();
            field->setText(QString::fromLatin1(text));
            d.accept();
            EXPECT_TRUE(d.isVisible()) << text;
            EXPECT_EQ(hook.shown, QStringList{message}) << text;
        }
        hook.shown.clear();
        field->setText(QStringLiteral("2.5"));
        d.accept();
        EXPECT_TRUE(hook.shown.isEmpty());
    }));
    EXPECT_FLOAT_EQ(std::get<TGaussianBlurParams>(out).radius, 2.5f);

    EXPECT_FALSE(run<TFormWave>(TFilterNumber::Wave, [this](TFormWave& d) {
        QLineEdit* counts = child<QLineEdit>(d, "EditHCount");
        QLineEdit* strength = child<QLineEdit>(d, "EditVStrength");
        counts->setText(QString());
        d.accept();
        EXPECT_EQ(hook.shown, QStringList{uiText("空欄があります！")});
        EXPECT_EQ(d.focusWidget(), counts);
        hook.shown.clear();
        counts->setText(QStringLiteral("51"));
        d.accept();
        EXPECT_EQ(hook.shown, QStringList{uiText("%sは %d ～ %d にしてください！",
                                                 {uiText("数"), QStringLiteral("0"),
                                                  QStringLiteral("50")})});
        hook.shown.clear();
        counts->setText(QStringLiteral("50"));
        strength->setText(QStringLiteral("101"));
        d.accept();
        EXPECT_EQ(hook.shown, QStringList{uiText("%sは %d ～ %d にしてください！",
                                                 {uiText("強さ"), QStringLiteral("0"),
                                                  QStringLiteral("100")})});
        EXPECT_EQ(d.focusWidget(), strength);
        EXPECT_TRUE(d.isVisible());
        d.reject();
    }));

    EXPECT_FALSE(run<TFormMosaic>(TFilterNumber::Mosaic, [this](TFormMosaic& d) {
        hook.shown.clear();
        d.field()->setText(QStringLiteral("1"));
        d.accept();
        EXPECT_EQ(hook.shown, QStringList{uiText("%sは %d ～ %d にしてください！",
                                                 {TFormMosaic::tr("Block size"),
                                                  QStringLiteral("2"), QStringLiteral("255")})});
        d.reject();
    }));
}

// ---- remembered values ----

TEST_F(FilterDialogs, AcceptedValuesAreOfferedNextTimeAndCancelledOnesAreNot)
{
    run<TFormContrast>(TFilterNumber::BrightnessContrast, [](TFormContrast& d) {
        child<QSlider>(d, "TrackBrightness")->setValue(30);
        child<QSlider>(d, "TrackContrast")->setValue(-20);
        d.accept();
    });
    run<TFormContrast>(TFilterNumber::BrightnessContrast, [](TFormContrast& d) {
        EXPECT_EQ(child<QSlider>(d, "TrackBrightness")->value(), 30);
        EXPECT_EQ(child<QSlider>(d, "TrackContrast")->value(), -20);
        child<QSlider>(d, "TrackBrightness")->setValue(-90);
        d.reject();
    });
    run<TFormContrast>(TFilterNumber::BrightnessContrast, [](TFormContrast& d) {
        EXPECT_EQ(child<QSlider>(d, "TrackBrightness")->value(), 30);
        d.reject();
    });
    run<TFormWave>(TFilterNumber::Wave, [](TFormWave& d) {
        child<QLineEdit>(d, "EditVStrength")->setText(QStringLiteral("77"));
        d.accept();
    });
    run<TFormWave>(TFilterNumber::Wave, [](TFormWave& d) {
        QLineEdit* strength = child<QLineEdit>(d, "EditVStrength");
        EXPECT_EQ(strength->text(), QStringLiteral("77"));
        child<QPushButton>(d, "ButtonReset")->click();
        EXPECT_EQ(strength->text(), QStringLiteral("10"));
        EXPECT_EQ(child<QLineEdit>(d, "EditHCount")->text(), QStringLiteral("1"));
        d.reject();
    });
    // Each dialog keeps its own: the gamma dialog still starts at its default.
    run<TFormGamma>(TFilterNumber::Gamma, [](TFormGamma& d) {
        EXPECT_EQ(child<QSlider>(d, "TrackGamma")->value(), 100);
        d.reject();
    });
}

// ---- the view box ----

TEST_F(FilterDialogs, TheViewBoxStartsCentredAndPansByDragging)
{
    host.pictureColour = 0; // transparent: the checkerboard shows through
    run<TFormEmboss>(TFilterNumber::Emboss, [this](TFormEmboss& d) {
        ASSERT_FALSE(host.areas.empty());
        // (300 − 192)/2, (200 − 192)/2
        EXPECT_EQ(host.areas.back(), QRect(54, 4, 192, 192));
        TFilterViewBox* box = d.viewBox();
        const QImage shownBox = box->grab().toImage();
        EXPECT_EQ(shownBox.pixel(5, 5), 0xFFFFFFFFu);
        EXPECT_EQ(shownBox.pixel(40, 5), qRgb(208, 208, 208));
        EXPECT_EQ(shownBox.pixel(5, 40), qRgb(208, 208, 208));
        EXPECT_EQ(shownBox.pixel(40, 40), 0xFFFFFFFFu);

        // The picture follows the mouse, so the area moves the other way.
        mouseAt(box, QEvent::MouseButtonPress, {100, 100});
        mouseAt(box, QEvent::MouseMove, {110, 98});
        EXPECT_EQ(host.areas.back(), QRect(44, 6, 192, 192));
        mouseAt(box, QEvent::MouseMove, {300, 300}); // held inside the layer
        EXPECT_EQ(host.areas.back(), QRect(0, 0, 192, 192));
        mouseAt(box, QEvent::MouseMove, {-200, 0});
        mouseAt(box, QEvent::MouseButtonRelease, {-200, 0});
        EXPECT_EQ(host.areas.back(), QRect(108, 8, 192, 192));
        // A change of value filters the same area again.
        const size_t before = host.areas.size();
        child<QSlider>(d, "TrackHeight")->setValue(30);
        ASSERT_EQ(host.areas.size(), before + 1);
        EXPECT_EQ(host.areas.back(), QRect(108, 8, 192, 192));
        EXPECT_FLOAT_EQ(std::get<TEmbossParams>(host.areaParams.back()).height, 3.0f);
        d.reject();
    });
    EXPECT_EQ(host.restores, 0); // nothing was changed on the canvas

    host.size = QSize(100, 50); // smaller than the box: shown whole
    host.areas.clear();
    run<TFormMotionBlur>(TFilterNumber::MotionBlur, [this](TFormMotionBlur& d) {
        mouseAt(d.viewBox(), QEvent::MouseButtonPress, {60, 60});
        mouseAt(d.viewBox(), QEvent::MouseMove, {20, 20});
        mouseAt(d.viewBox(), QEvent::MouseButtonRelease, {20, 20});
        ASSERT_FALSE(host.areas.empty());
        EXPECT_EQ(host.areas.back(), QRect(0, 0, 100, 50));
        d.reject();
    });
}

TEST_F(FilterDialogs, TheWholeLayerViewsPickTheTwistCentreAndTheWaveSeesEverything)
{
    run<TFormWave>(TFilterNumber::Wave, [this](TFormWave& d) {
        EXPECT_EQ(host.areas.back(), QRect(0, 0, 300, 200));
        d.reject();
    });
    EXPECT_TRUE(run<TFormTwist>(TFilterNumber::Twist, [this](TFormTwist& d) {
        EXPECT_EQ(host.areas.back(), QRect(0, 0, 300, 200));
        // 300 × 200 reduced by 300/192 = 1.5625 to 192 × 128, centred: 32 pixels above.
        click(d.viewBox(), {48, 48}); // layer (75, 25)
        d.accept();
    }));
    auto twist = std::get<TTwistParams>(out);
    EXPECT_FLOAT_EQ(twist.centreFractionX, 0.25f);
    EXPECT_FLOAT_EQ(twist.centreFractionY, 0.125f);

    // Remembered, then the reset button brings the middle back and clears the boxes.
    EXPECT_TRUE(run<TFormTwist>(TFilterNumber::Twist, [](TFormTwist& d) {
        child<QCheckBox>(d, "CheckZoom")->setChecked(true);
        EXPECT_FALSE(d.viewBox()->wholeLayer());
        child<QSlider>(d, "TrackTwist")->setValue(10);
        child<QPushButton>(d, "ButtonReset")->click();
        EXPECT_EQ(child<QSlider>(d, "TrackTwist")->value(), 200);
        EXPECT_FALSE(child<QCheckBox>(d, "CheckZoom")->isChecked());
        EXPECT_TRUE(d.viewBox()->wholeLayer());
        d.accept();
    }));
    twist = std::get<TTwistParams>(out);
    EXPECT_EQ(twist.centreFractionX, 0.5f);
    EXPECT_EQ(twist.centreFractionY, 0.5f);
}

TEST_F(FilterDialogs, TheZoomCentreComesFromThePointPickedInTheThumbnail)
{
    EXPECT_TRUE(run<TFormZoomBlur>(TFilterNumber::ZoomBlur, [](TFormZoomBlur& d) {
        EXPECT_EQ(d.centrePicker()->point(), QPoint(64, 64));
        d.accept();
    }));
    EXPECT_EQ(std::get<TZoomBlurParams>(out).centreX, 150);
    EXPECT_EQ(std::get<TZoomBlurParams>(out).centreY, 100);

    // Scale 300/128 = 2.34375: (⌊32·s⌋ + 150, ⌊−32·s⌋ + 100).
    EXPECT_TRUE(run<TFormZoomBlur>(TFilterNumber::ZoomBlur, [](TFormZoomBlur& d) {
        click(d.centrePicker(), {96, 32});
        child<QSlider>(d, "TrackAmount")->setValue(12);
        d.accept();
    }));
    const auto zoom = std::get<TZoomBlurParams>(out);
    EXPECT_EQ(zoom.centreX, 225);
    EXPECT_EQ(zoom.centreY, 25);
    EXPECT_EQ(zoom.amount, 12);
}

} // namespace

} // namespace qm::ui::test
