#include "ui/env_dialog.h"
#include "ui/jpeg_options_dialog.h"
#include "ui/picture_export.h"
#include "window_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSlider>
#include <QSpinBox>

namespace qm::ui::test {

namespace {

// The export writes to `path` with the filter `filter` instead of asking.
struct ExportTo {
    ExportTo(const QString& path, const QString& filter)
    {
        setExportPathChooser(
            [path, filter](const QString&, const QString& filters, QString& selected) {
                EXPECT_TRUE(filters.contains(filter)) << filter.toStdString();
                selected = filter;
                return path;
            });
    }
    ~ExportTo() { setExportPathChooser(nullptr); }
};

// Catches what the desktop is asked to open.
class UrlCatcher : public QObject {
    Q_OBJECT
  public:
    UrlCatcher() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~UrlCatcher() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QList<QUrl> opened;
  public slots:
    void open(const QUrl& url) { opened << url; }
};

} // namespace

class OptionsAndExport : public WindowFixture {
  protected:
    void paintTwoLayers()
    {
        press(at(40, 50));
        drag(at(120, 50));
        release(at(120, 50));
        main().action(QStringLiteral("actCreateLayerStd"))->trigger();
        ASSERT_EQ(paper().layerCount(), 2);
        stroke().color = 0xFF0000;
        press(at(60, 150));
        drag(at(200, 150));
        release(at(200, 150));
    }
    void exportJpeg(const QString& path, int quality)
    {
        ExportTo to(path, QStringLiteral("JPEG (*.jpg)"));
        bool asked = false;
        whenOpen<TFormJpegOptions>([&](TFormJpegOptions& dialog) {
            asked = true;
            dialog.quality->setValue(quality);
            dialog.accept();
        });
        main().action(QStringLiteral("actLayerSave"))->trigger();
        EXPECT_TRUE(asked);
    }
};

TEST_F(OptionsAndExport, TheOptionsTakeEffectAtOnceAndSurviveARestart)
{
    const QString settings = dir.filePath(QStringLiteral("settings.ini"));
    main().action(QStringLiteral("actShowGrid"))->trigger();
    ASSERT_TRUE(paper().gridShown);
    const bool smoothBefore = shell->context().profile.config.useZoomAntialias;
    whenOpen<TFormEnv>([&](TFormEnv& dialog) {
        EXPECT_EQ(dialog.undoSteps->value(), 8) << "the setting's default";
        EXPECT_EQ(dialog.undoSteps->maximum(), 99);
        dialog.undoSteps->setValue(20);
        dialog.gridWidth->setValue(40);
        dialog.gridHeight->setValue(10);
        dialog.smoothView->setChecked(!smoothBefore);
        dialog.rightButtonPicks->setChecked(true);
        dialog.middleButton->setCurrentIndex(5);
        dialog.language->setCurrentIndex(2);
        dialog.jpegPresets[2]->setValue(60);
        dialog.psdVersion->setValue(4);
        dialog.psdUncompressed->setChecked(true);
        EXPECT_TRUE(dialog.keepPrevious->isChecked()) << "on unless switched off";
        dialog.keepPrevious->setChecked(false);
        dialog.accept();
    });
    // Saved twice with the default, the paper keeps its previous version beside it.
    const QString saved = dir.filePath(QStringLiteral("kept.qmp"));
    window->setPath(saved);
    ASSERT_TRUE(main().savePaper(window, false));
    ASSERT_TRUE(main().savePaper(window, false));
    EXPECT_TRUE(QFile::exists(saved + QLatin1Char('~')));
    QFile::remove(saved + QLatin1Char('~'));
    main().action(QStringLiteral("actShowEnvWindow"))->trigger();
    ASSERT_TRUE(main().savePaper(window, false));
    EXPECT_FALSE(QFile::exists(saved + QLatin1Char('~'))) << "switched off";

    // At once: the grid of the open paper, the view's smoothing and its menu check.
    EXPECT_EQ(paper().gridX, 40);
    EXPECT_EQ(paper().gridY, 10);
    EXPECT_EQ(window->smoothZoom, !smoothBefore);
    EXPECT_EQ(main().action(QStringLiteral("actViewAntiAlias"))->isChecked(), !smoothBefore);
    // The undo depth of the open paper and of a new one.
    EXPECT_EQ(paper().undoMngr->undoLimit(), 20);
    TDrawWindowWidget* second = main().newPaper(QStringLiteral("second"), 100, 100);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->paper().undoMngr->undoLimit(), 20);
    second->modified = false;

    // Cancel changes nothing.
    whenOpen<TFormEnv>([](TFormEnv& dialog) {
        dialog.undoSteps->setValue(3);
        dialog.reject();
    });
    main().action(QStringLiteral("actShowEnvWindow"))->trigger();
    EXPECT_EQ(shell->context().profile.config.undoMax, 20);

    for (TDrawWindowWidget* w : main().drawWindows())
        w->modified = false;
    shell.reset();
    shell = std::make_unique<TApplicationShell>(std::make_unique<TQtSettingsStore>(settings));
    shell->start();
    const CAppProfile& profile = shell->context().profile;
    EXPECT_EQ(profile.config.undoMax, 20);
    EXPECT_EQ(profile.config.gridW, 40);
    EXPECT_EQ(profile.config.gridH, 10);
    EXPECT_EQ(profile.config.useZoomAntialias, !smoothBefore);
    EXPECT_TRUE(profile.config.useRBtnColPicker);
    EXPECT_EQ(profile.config.mouseMBtnFunc, 5);
    EXPECT_EQ(profile.config.language, 2);
    EXPECT_EQ(profile.fileIO.jpegQStd, 60);
    EXPECT_EQ(profile.fileIO.psdSaveVer, 4);
    EXPECT_EQ(profile.fileIO.psdSaveFlags & 1, 1);
    EXPECT_FALSE(profile.fileIO.keepPrevious);
    // The dialog opens on what was stored.
    whenOpen<TFormEnv>([](TFormEnv& dialog) {
        EXPECT_EQ(dialog.undoSteps->value(), 20);
        EXPECT_EQ(dialog.middleButton->currentIndex(), 5);
        EXPECT_EQ(dialog.language->currentIndex(), 2);
        dialog.reject();
    });
    main().action(QStringLiteral("actShowEnvWindow"))->trigger();
}

TEST_F(OptionsAndExport, AJpegAtQuality30IsSmallerThanAt95AndBothDecode)
{
    paintTwoLayers();
    const QString low = dir.filePath(QStringLiteral("low.jpg"));
    const QString high = dir.filePath(QStringLiteral("high.jpg"));
    exportJpeg(low, 30);
    const TFileIOSettings& io = shell->context().profile.fileIO;
    EXPECT_EQ(io.jpegQuality, 30);
    EXPECT_EQ(io.jpegQType, 4) << "a quality off every preset is the user's own";
    exportJpeg(high, 95);
    const qint64 lowSize = QFileInfo(low).size(), highSize = QFileInfo(high).size();
    EXPECT_GT(lowSize, 0);
    EXPECT_LT(lowSize, highSize);
    for (const QString& path : {low, high}) {
        const QImage decoded(path);
        ASSERT_FALSE(decoded.isNull()) << path.toStdString();
        EXPECT_EQ(decoded.size(), QSize(300, 200));
        // The blue stroke survives either quality.
        const QColor c = decoded.pixelColor(80, 50);
        EXPECT_LT(c.red(), 90);
        EXPECT_GT(c.blue(), 160);
    }

    // A preset sets its quality; Cancel writes nothing and keeps the choice.
    ExportTo to(dir.filePath(QStringLiteral("cancelled.jpg")), QStringLiteral("JPEG (*.jpg)"));
    whenOpen<TFormJpegOptions>([](TFormJpegOptions& dialog) {
        EXPECT_EQ(dialog.quality->value(), 95) << "it starts from the last export";
        dialog.preset->setCurrentIndex(2);
        EXPECT_EQ(dialog.quality->value(), 75) << "the standard preset";
        dialog.reject();
    });
    main().action(QStringLiteral("actLayerSave"))->trigger();
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("cancelled.jpg"))));
    EXPECT_EQ(io.jpegQuality, 95);
}

TEST_F(OptionsAndExport, EachLayerBecomesAPictureOfItsOwnNamedAfterThePaper)
{
    paintTwoLayers();
    paper().layer(1)->visible = 0; // hidden layers are written too
    const QString folder = dir.filePath(QStringLiteral("layers"));
    ASSERT_TRUE(QDir().mkpath(folder));
    {
        ExportTo to(folder + QStringLiteral("/whatever.png"),
                    QStringLiteral("Each layer as PNG (*.png)"));
        main().action(QStringLiteral("actLayerSave"))->trigger();
    }
    // The paper was never saved: its name is its title, "test".
    const QImage bottom(folder + QStringLiteral("/test_layer1.png"));
    const QImage top(folder + QStringLiteral("/test_layer2.png"));
    ASSERT_FALSE(bottom.isNull());
    ASSERT_FALSE(top.isNull());
    EXPECT_FALSE(QFile::exists(folder + QStringLiteral("/whatever.png")));
    EXPECT_EQ(bottom.size(), QSize(300, 200));
    EXPECT_EQ(bottom.pixel(80, 50), 0xFF0000FFu) << "the blue stroke, opaque";
    EXPECT_EQ(qAlpha(bottom.pixel(120, 150)), 0) << "the other layer's stroke is not in it";
    EXPECT_EQ(top.pixel(120, 150), 0xFFFF0000u);
    EXPECT_EQ(qAlpha(top.pixel(80, 50)), 0);

    // A paper without a name numbers its layers alone; BMP shows them over the paper colour.
    paper().title.clear();
    paper().paperColor = 0x00FF00;
    {
        ExportTo to(folder + QStringLiteral("/x.bmp"), QStringLiteral("Each layer as BMP (*.bmp)"));
        main().action(QStringLiteral("actLayerSave"))->trigger();
    }
    const QImage flat(folder + QStringLiteral("/layer2.bmp"));
    ASSERT_FALSE(flat.isNull());
    EXPECT_EQ(flat.pixel(80, 50), 0xFF00FF00u) << "empty is the paper colour";
    EXPECT_EQ(flat.pixel(120, 150), 0xFFFF0000u);
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/layer1.bmp")));
}

TEST_F(OptionsAndExport, HelpOpensTheManualShippedWithTheProgram)
{
    QTemporaryDir cache;
    qputenv("XDG_CACHE_HOME", cache.path().toLocal8Bit());
    UrlCatcher catcher;
    main().refreshActions();
    QAction* help = main().action(QStringLiteral("actOpenHtmlHelp"));
    ASSERT_TRUE(help->isEnabled());
    help->trigger();
    help->trigger();
    qunsetenv("XDG_CACHE_HOME");
    ASSERT_EQ(catcher.opened.size(), 2);
    ASSERT_TRUE(catcher.opened[0].isLocalFile());
    QFile page(catcher.opened[0].toLocalFile());
    ASSERT_TRUE(page.open(QIODevice::ReadOnly)) << page.fileName().toStdString();
    const QByteArray text = page.readAll();
    EXPECT_TRUE(text.contains("<title>Quillmere manual</title>"));
    // The very page of the source tree, not a stale copy.
    QFile source(QStringLiteral(QUILLMERE_SOURCE_DIR "/docs/manual.html"));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    EXPECT_EQ(text, source.readAll());
    EXPECT_TRUE(hook.shown.isEmpty());
}

} // namespace qm::ui::test

#include "options_and_export_test.moc"
