// The main window's command table, menu by menu as the program documents it: every command
// is there, does something, and is enabled exactly when it can run.
#include "ui/tool_docks.h"
#include "window_fixture.h"

#include <QClipboard>
#include <QDockWidget>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMenu>

#include <set>

namespace qm::ui::test {

namespace {

const std::vector<std::vector<const char*>> kMenus = {
    {"actFileNew", "actFileOpen", "actFileReopen", "actFileClose", "actFileSave", "actFileSaveAs",
     "actSaveAutoBmp", "actLayerSave", "actPrintOut", "actPrinterSetup", "actScanner",
     "actCloseApp"},
    {"actFileOpenEvent", "actFileSaveEvent", "actFileSaveEventGuard", "actEventRecStop",
     "actEventPlayPause", "actEventPlayResume", "actEventPlayStop", "actEventWait"},
    {"actEditUndo", "actEditRedo", "actEditUndoClear", "actEditCut", "actEditCopy",
     "actEditCopyLayer", "actPasteNew", "actEditResizePaper", "actEditChgResoPaper",
     "actEditChgDPI", "actEditChgPaperColor", "actAllRot90", "actAllRot270", "actVisFlipLR",
     "actVisFlipTB", "actVisRot180", "actVisNeg"},
    {"actLayerCreate",     "actCreateLayerStd", "actCreateLayerMul", "actCreateLayerAdd",
     "actCreateLayerSub",  "actDeleteCurLayer", "actLayerDuplicate", "actLayerPaste",
     "actLayerPasteNew",   "actLayerBindLower", "actLayerBindBelow", "actLayerBindAll",
     "actLayerCutOutside", "actLayerHideAll",   "actLayerVisAll",    "actLayerVisOnly",
     "actLayerVisFlip",    "actLayerRotate",    "actLayerRot90",     "actLayerRot270",
     "actLayerZoom",       "actLayerMaskClear", "actLayerMaskFill",  "actLayerMaskNega",
     "actProtectLayerMask"},
    {"actSelectEnable",        "actSelectAll",           "actSelectRemove",
     "actSelectInvert",        "actSelectVisible",       "actSelectInflate",
     "actSelectInflate2",      "actSelectDeflate",       "actSelectDeflate2",
     "actSelectColorRange",    "actSelectFromLayerMask", "actSelectFromLayerValue",
     "actSelectCopyLayerMask", "actSelectCutOutside",    "actSelectDelete",
     "actSelectImgDelete",     "actSelectImgFill",       "actSelectDuplicate",
     "actSelectInsert",        "actSelectNewLayer",      "actSelectSplitLayer"},
    {"actFilterBlur",     "actFilterBlurStrong", "actFilterBlurMove",    "actFilterBlurZoom",
     "actFilterGauss",    "actFilterSharp",      "actFilterSharpStrong", "actFilterSharpCustom",
     "actFilterMono",     "actFilterNega",       "actFilterContrast",    "actFilterGamma",
     "actFilterLevel",    "actFilterHLS",        "actFilterPoster",      "actFilterNoize",
     "actFilterMosaic",   "actFilterEmboss",     "actFilterWave",        "actFilterTwist",
     "actFilterCloud",    "actFilterRock",       "actFilterTile",        "actFilterFloor",
     "actFilterLighting", "actFilterFlipLR",     "actFilterFlipTB",      "actFilterRot180"},
    {"actViewZoomIn", "actViewZoomOut", "actViewZoomCancel", "actViewAntiAlias", "actShowGrid"},
    {"actShowToolBox", "actShowPenWindow", "actShowCtrlWindow", "actShowLayerWindow",
     "actShowSelectWindow", "actShowPreviewWindow", "actShowPalWindow", "actShowColorWindow",
     "actShowRgbWindow", "actShowHsvWindow", "actShowGradWindow", "actShowToneWindow",
     "actShowPatWindow", "actShowEnvWindow", "actShowNetWindow", "actWindowInitAllPos",
     "actWindowSizeFit"},
    {"actOpenHtmlHelp", "actWebHomePage", "actWebRegEvent", "actAboutBox", "actLangEnglish",
     "actLangJapanese"},
};

// What runs with no paper open: the program's own commands (the recent files once there are).
const std::set<std::string> kWithoutPaper = {
    "actFileNew",          "actFileOpen",          "actPrinterSetup",   "actScanner",
    "actCloseApp",         "actFileOpenEvent",     "actEventWait",      "actViewAntiAlias",
    "actShowToolBox",      "actShowPenWindow",     "actShowCtrlWindow", "actShowLayerWindow",
    "actShowSelectWindow", "actShowPreviewWindow", "actShowPalWindow",  "actShowColorWindow",
    "actShowRgbWindow",    "actShowHsvWindow",     "actShowGradWindow", "actShowToneWindow",
    "actShowPatWindow",    "actShowEnvWindow",     "actShowNetWindow",  "actWindowInitAllPos",
    "actOpenHtmlHelp",     "actWebHomePage",       "actWebRegEvent",    "actAboutBox",
    "actLangEnglish",      "actLangJapanese"};

// What a fresh one-layer paper without history, selection or replay cannot do.
const std::set<std::string> kNotOnAFreshPaper = {
    "actFileReopen",          "actPasteNew",         "actEventPlayPause",  "actEventPlayResume",
    "actEventPlayStop",       "actEditUndo",         "actEditRedo",        "actEditCut",
    "actDeleteCurLayer",      "actLayerPaste",       "actLayerPasteNew",   "actLayerBindLower",
    "actLayerBindBelow",      "actLayerCutOutside",  "actSelectRemove",    "actSelectInvert",
    "actSelectInflate",       "actSelectInflate2",   "actSelectDeflate",   "actSelectDeflate2",
    "actSelectCopyLayerMask", "actSelectCutOutside", "actSelectDelete",    "actSelectImgDelete",
    "actSelectImgFill",       "actSelectNewLayer",   "actSelectSplitLayer"};

// The names in one set and not the other, for a readable failure.
std::string difference(const std::set<std::string>& a, const std::set<std::string>& b)
{
    std::string out;
    for (const std::string& name : a)
        if (!b.count(name)) out += " +" + name;
    for (const std::string& name : b)
        if (!a.count(name)) out += " -" + name;
    return out;
}

std::vector<std::string> allCommands()
{
    std::vector<std::string> names;
    for (const auto& menu : kMenus)
        names.insert(names.end(), menu.begin(), menu.end());
    return names;
}

} // namespace

class CommandTable : public WindowFixture {
  protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        QGuiApplication::clipboard()->clear();
    }
    std::set<std::string> enabledNow()
    {
        main().refreshActions();
        std::set<std::string> on;
        for (const std::string& name : allCommands())
            if (QAction* a = main().action(QString::fromStdString(name)); a && a->isEnabled())
                on.insert(name);
        return on;
    }
};

TEST_F(CommandTable, EveryCommandIsThereAndDoesSomething)
{
    const std::vector<std::string> names = allCommands();
    EXPECT_EQ(names.size(), 139u);
    for (const std::string& name : names) {
        const QString key = QString::fromStdString(name);
        ASSERT_NE(main().action(key), nullptr) << name;
        EXPECT_FALSE(main().action(key)->text().isEmpty()) << name;
        // The recent files are a submenu: its entries act, once there are files.
        if (name != "actFileReopen") {
            EXPECT_TRUE(main().commandActs(key)) << name << " is a placeholder";
        }
    }
}

TEST_F(CommandTable, EachIsEnabledExactlyWhenItCanRun)
{
    std::set<std::string> expected;
    for (const std::string& name : allCommands())
        if (!kNotOnAFreshPaper.count(name)) expected.insert(name);
    EXPECT_EQ(difference(enabledNow(), expected), "") << "a fresh paper";

    // With history, a second layer, a selection and a picture on the clipboard.
    press(at(20, 20));
    drag(at(80, 20));
    release(at(80, 20));
    main().action(QStringLiteral("actCreateLayerStd"))->trigger();
    main().action(QStringLiteral("actSelectAll"))->trigger();
    main().action(QStringLiteral("actEditCopy"))->trigger();
    const std::set<std::string> busy = enabledNow();
    for (const char* name : {"actEditUndo", "actDeleteCurLayer", "actLayerBindLower", "actEditCut",
                             "actSelectInvert", "actSelectImgFill", "actLayerPaste", "actPasteNew"})
        EXPECT_TRUE(busy.count(name)) << name;
    EXPECT_FALSE(busy.count("actEditRedo"));

    // Without a paper only the program's own commands run; the recent files once a file was
    // opened, and the entry opens it.
    for (TDrawWindowWidget* w : main().drawWindows())
        w->modified = false;
    main().mdiArea()->closeAllSubWindows();
    QCoreApplication::processEvents();
    ASSERT_TRUE(main().drawWindows().empty());
    QGuiApplication::clipboard()->clear();
    std::set<std::string> none = kWithoutPaper;
    if (!main().recentFiles().isEmpty()) none.insert("actFileReopen");
    EXPECT_EQ(difference(enabledNow(), none), "") << "no paper";
}

TEST_F(CommandTable, TheRecentFilesMenuReopensAFile)
{
    EXPECT_FALSE(enabledNow().count("actFileReopen")) << "nothing opened yet";
    const QString path = QFileInfo(QStringLiteral(QUILLMERE_TEST_DATA "/recordings/landscape.qm3"))
                             .canonicalFilePath();
    ASSERT_TRUE(main().openByPath(path));
    for (TDrawWindowWidget* w : main().drawWindows())
        w->modified = false;
    main().mdiArea()->closeAllSubWindows();
    QCoreApplication::processEvents();
    ASSERT_TRUE(enabledNow().count("actFileReopen"));
    QMenu* recent = main().action(QStringLiteral("actFileReopen"))->menu();
    ASSERT_NE(recent, nullptr);
    ASSERT_EQ(recent->actions().size(), main().recentFiles().size());
    EXPECT_TRUE(recent->actions().first()->text().endsWith(path));
    recent->actions().first()->trigger();
    ASSERT_TRUE(waitFor([this] { return !main().drawWindows().empty(); }));
    EXPECT_EQ(main().drawWindows().front()->path(), path);
}

TEST_F(CommandTable, FitWindowToPaperShowsTheWholePaperAtItsZoom)
{
    for (const auto& [name, dock] : main().docks().docks())
        dock->hide(); // room for the paper
    window->parentWidget()->resize(200, 150);
    QCoreApplication::processEvents();
    main().refreshActions();
    main().action(QStringLiteral("actWindowSizeFit"))->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(window->size(), QSize(300, 200)) << "the paper at 100 %";
    main().activeDrawWindow()->zoomIn();
    main().action(QStringLiteral("actWindowSizeFit"))->trigger();
    QCoreApplication::processEvents();
    const float scale = paper().zoomScale();
    ASSERT_GT(scale, 1.0f);
    const QSize want =
        QSize(int(300 * scale), int(200 * scale)).boundedTo(main().mdiArea()->size());
    EXPECT_EQ(window->size(), want) << "as much of the zoomed paper as the area holds";
}

} // namespace qm::ui::test
