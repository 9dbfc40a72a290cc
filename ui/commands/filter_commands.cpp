// The Filter menu: every filter through its dialog (the transforming ones, the patterns, the
// lighting and the floor), and the layer commands.
#include "ui/commands/commands.h"
#include "ui/commands/paper_edit.h"
#include "ui/draw_window.h"
#include "ui/filter_dialogs.h"
#include "ui/filter_host.h"
#include "ui/main_window.h"

#include <QMenu>

namespace qm::ui {

namespace {

// The current layer filtered: the dialog (with its previews) first, then the filter over the
// whole work rectangle from a fresh copy.
void runFilter(TMainForm& main, TFilterNumber number)
{
    TDrawWindowWidget* window = main.activeDrawWindow();
    TFilterParams params;
    TFilterPictures pictures;
    {
        TDrawWindowFilterHost host(*window);
        if (!host.valid() || !askFilterParams(number, host, &main, params, &pictures)) return;
    } // the previews are put back before the filter runs
    runPaperEdit(main, [&](TDrawWindowWidget&, TPaper& p, TFlowImage& flow) {
        p.applyFilter(flow, p.currentLayerIndex(), params, true, &pictures.first,
                      &pictures.second);
    });
}

struct TFilterCommand {
    const char* action;
    const char* text;
    TFilterNumber number;
};

} // namespace

void addFilterCommands(TMainForm& main, QMenu& menu)
{
    static const TFilterCommand commands[] = {
        {"actFilterBlur", QT_TRANSLATE_NOOP("TMainForm", "&Blur"), TFilterNumber::Blur},
        {"actFilterBlurStrong", QT_TRANSLATE_NOOP("TMainForm", "Blur &More"),
         TFilterNumber::StrongBlur},
        {"actFilterBlurMove", QT_TRANSLATE_NOOP("TMainForm", "&Motion Blur..."),
         TFilterNumber::MotionBlur},
        {"actFilterBlurZoom", QT_TRANSLATE_NOOP("TMainForm", "&Zoom Blur..."),
         TFilterNumber::ZoomBlur},
        {"actFilterGauss", QT_TRANSLATE_NOOP("TMainForm", "&Gaussian Blur..."),
         TFilterNumber::GaussianBlur},
        {"actFilterSharp", QT_TRANSLATE_NOOP("TMainForm", "&Sharpen"), TFilterNumber::Sharpen},
        {"actFilterSharpStrong", QT_TRANSLATE_NOOP("TMainForm", "Sharpen M&ore"),
         TFilterNumber::StrongSharpen},
        {"actFilterSharpCustom", QT_TRANSLATE_NOOP("TMainForm", "Sharpen &By..."),
         TFilterNumber::AdjustableSharpen},
        {"actFilterLevel", QT_TRANSLATE_NOOP("TMainForm", "&Levels..."), TFilterNumber::Levels},
        {"actFilterGamma", QT_TRANSLATE_NOOP("TMainForm", "G&amma..."), TFilterNumber::Gamma},
        {"actFilterContrast", QT_TRANSLATE_NOOP("TMainForm", "Brightness and &Contrast..."),
         TFilterNumber::BrightnessContrast},
        {"actFilterHLS", QT_TRANSLATE_NOOP("TMainForm", "&Hue, Saturation, Lightness..."),
         TFilterNumber::HueSaturationLightness},
        {"actFilterMono", QT_TRANSLATE_NOOP("TMainForm", "Mo&nochrome"), TFilterNumber::Monochrome},
        {"actFilterPoster", QT_TRANSLATE_NOOP("TMainForm", "&Posterize..."),
         TFilterNumber::Posterize},
        {"actFilterNoize", QT_TRANSLATE_NOOP("TMainForm", "Add &Noise..."), TFilterNumber::Noise},
        {"actFilterMosaic", QT_TRANSLATE_NOOP("TMainForm", "Mosa&ic..."), TFilterNumber::Mosaic},
        {"actFilterEmboss", QT_TRANSLATE_NOOP("TMainForm", "&Emboss..."), TFilterNumber::Emboss},
        {"actFilterWave", QT_TRANSLATE_NOOP("TMainForm", "&Wave..."), TFilterNumber::Wave},
        {"actFilterTwist", QT_TRANSLATE_NOOP("TMainForm", "&Twist..."), TFilterNumber::Twist},
        {"actFilterCloud", QT_TRANSLATE_NOOP("TMainForm", "Clou&ds..."), TFilterNumber::Cloud},
        {"actFilterRock", QT_TRANSLATE_NOOP("TMainForm", "&Rock..."), TFilterNumber::Rock},
        {"actFilterTile", QT_TRANSLATE_NOOP("TMainForm", "Ti&les..."), TFilterNumber::Tile},
        {"actFilterFloor", QT_TRANSLATE_NOOP("TMainForm", "&Floor..."), TFilterNumber::Floor},
        {"actFilterLighting", QT_TRANSLATE_NOOP("TMainForm", "Li&ghting..."),
         TFilterNumber::Lighting},
    };
    for (const TFilterCommand& c : commands) {
        const TFilterNumber number = c.number;
        main.addCommand(menu, c.action, TMainForm::tr(c.text),
                        [&main, number] { runFilter(main, number); });
    }
    menu.addSeparator();
    const auto layerCommand = [&main](TLayerCommand command) {
        return [&main, command] {
            runPaperEdit(main, [command](TDrawWindowWidget&, TPaper& p, TFlowImage& flow) {
                p.execLayerCommand(flow, p.currentLayerIndex(), true, int32_t(command));
            });
        };
    };
    main.addCommand(menu, "actFilterNega", TMainForm::tr("&Negate"),
                    layerCommand(TLayerCommand::negate));
    main.addCommand(menu, "actFilterFlipLR", TMainForm::tr("Flip &Horizontally"),
                    layerCommand(TLayerCommand::flipLeftRight));
    main.addCommand(menu, "actFilterFlipTB", TMainForm::tr("Flip &Vertically"),
                    layerCommand(TLayerCommand::flipTopBottom));
    main.addCommand(menu, "actFilterRot180", TMainForm::tr("Turn &180°"),
                    layerCommand(TLayerCommand::halfTurn));
}

} // namespace qm::ui
