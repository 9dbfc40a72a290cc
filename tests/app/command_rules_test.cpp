#include "app/command_rules.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace qm {

namespace {

// A window that allows everything: nothing plays, nothing half done, undo and zoom possible.
TCommandState idleWindow()
{
    TCommandState s;
    s.hasWindow = true;
    s.recording = true;
    s.canUndo = s.canRedo = true;
    s.canZoomIn = s.canZoomOut = true;
    s.layerCount = 2;
    return s;
}

void expectAll(std::initializer_list<const char*> names, const TCommandState& state, bool enabled)
{
    for (const char* name : names)
        EXPECT_EQ(commandEnabled(name, state), enabled) << name;
}

constexpr std::initializer_list<const char*> kEditing = {
    "actFileSave", "actFileSaveAs", "actLayerSave", "actEditUndo", "actEditRedo",
    "actEditUndoClear", "actEditChgDPI", "actEditChgPaperColor", "actLayerCreate",
    "actDeleteCurLayer"};
constexpr std::initializer_list<const char*> kAlways = {
    "actCloseApp", "actEventWait", "actViewAntiAlias", "actShowToolBox", "actShowLayerWindow",
    "actShowNetWindow", "actWindowInitAllPos", "actTabletTester", "actWebHomePage",
    "actLangEnglish", "actLangJapanese", "actAboutBox"};

} // namespace

TEST(CommandRules, UnknownNamesAreNeverEnabled)
{
    TCommandState everything = idleWindow();
    everything.replaying = true;
    everything.hasRecentFiles = true;
    for (const char* name : {"", "actfilesave", "actFileSave ", "actPrint", "actScannerX"})
        EXPECT_FALSE(commandEnabled(name, everything)) << "'" << name << "'";
}

TEST(CommandRules, PrintingNeedsAStillPaperAndScanningNeverAWindow)
{
    TCommandState s;
    EXPECT_FALSE(commandEnabled("actPrintOut", s));
    expectAll({"actPrinterSetup", "actScanner", "actShowEnvWindow", "actOpenHtmlHelp"}, s, true);
    s = idleWindow();
    EXPECT_TRUE(commandEnabled("actPrintOut", s));
    s.strokeInProgress = true;
    EXPECT_FALSE(commandEnabled("actPrintOut", s));
    s.replayOnly = true;
    expectAll({"actPrinterSetup", "actScanner", "actFileReopen"}, s, false);
    expectAll({"actShowEnvWindow", "actOpenHtmlHelp"}, s, true);
}

TEST(CommandRules, TheRecentFilesOpenOnceThereAreAny)
{
    TCommandState s;
    EXPECT_FALSE(commandEnabled("actFileReopen", s));
    s.hasRecentFiles = true;
    EXPECT_TRUE(commandEnabled("actFileReopen", s)) << "with or without a window";
}

TEST(CommandRules, WithoutADrawingWindowOnlyTheProgramsOwnCommandsRun)
{
    const TCommandState none;
    expectAll(kAlways, none, true);
    expectAll({"actFileNew", "actFileOpen", "actFileOpenEvent"}, none, true);
    expectAll(kEditing, none, false);
    expectAll({"actFileClose", "actSaveAutoBmp", "actViewZoomIn", "actViewZoomOut",
               "actViewZoomCancel", "actShowGrid", "actWindowSizeFit", "actWindowCascade",
               "actWindowTile", "actWindowNext", "actWindowPrevious", "actFileSaveEvent",
               "actEventPlayStop", "actEventPlayPause"},
              none, false);
    // The rest of the window's state means nothing without a window.
    TCommandState stale = none;
    stale.canZoomIn = stale.recording = stale.replaying = true;
    expectAll({"actViewZoomIn", "actFileSaveEvent", "actEventPlayStop"}, stale, false);
}

TEST(CommandRules, APictureOnTheClipboardMakesANewPaperWithOrWithoutAWindow)
{
    TCommandState s;
    EXPECT_FALSE(commandEnabled("actPasteNew", s));
    s.canPaste = true;
    EXPECT_TRUE(commandEnabled("actPasteNew", s));
    EXPECT_FALSE(commandEnabled("actLayerPasteNew", s)) << "a layer needs a window";
    s.replayOnly = true;
    EXPECT_FALSE(commandEnabled("actPasteNew", s));
}

TEST(CommandRules, ARenderOrViewerRunOpensNothingElse)
{
    TCommandState s = idleWindow();
    s.replayOnly = true;
    expectAll({"actFileNew", "actFileOpen", "actFileOpenEvent"}, s, false);
    expectAll({"actFileClose", "actViewZoomIn", "actEventWait"}, s, true);
}

TEST(CommandRules, PaperEditsWaitForTheReplayAndTheStroke)
{
    TCommandState s = idleWindow();
    expectAll(kEditing, s, true);
    s.playing = true;
    expectAll(kEditing, s, false);
    // Looking still works while a recording plays.
    expectAll({"actFileClose", "actSaveAutoBmp", "actViewZoomIn", "actViewZoomCancel", "actShowGrid",
               "actWindowSizeFit"},
              s, true);
    s = idleWindow();
    s.strokeInProgress = true;
    expectAll(kEditing, s, false);
    expectAll({"actSaveAutoBmp", "actViewZoomOut"}, s, true);
}

TEST(CommandRules, UndoRedoAndZoomEachFollowTheirOwnPossibility)
{
    TCommandState s = idleWindow();
    s.canRedo = false;
    s.canZoomOut = false;
    EXPECT_TRUE(commandEnabled("actEditUndo", s));
    EXPECT_FALSE(commandEnabled("actEditRedo", s));
    EXPECT_TRUE(commandEnabled("actViewZoomIn", s));
    EXPECT_FALSE(commandEnabled("actViewZoomOut", s));
    s = idleWindow();
    s.canUndo = false;
    s.canZoomIn = false;
    EXPECT_FALSE(commandEnabled("actEditUndo", s));
    EXPECT_TRUE(commandEnabled("actEditRedo", s));
    EXPECT_FALSE(commandEnabled("actViewZoomIn", s));
    EXPECT_TRUE(commandEnabled("actViewZoomOut", s));
    // Clearing the history needs no history.
    s.canUndo = s.canRedo = false;
    EXPECT_TRUE(commandEnabled("actEditUndoClear", s));
}

TEST(CommandRules, TheLastLayerCannotBeDeleted)
{
    TCommandState s = idleWindow();
    s.layerCount = 1;
    EXPECT_FALSE(commandEnabled("actDeleteCurLayer", s));
    EXPECT_TRUE(commandEnabled("actLayerCreate", s));
    s.layerCount = 2;
    EXPECT_TRUE(commandEnabled("actDeleteCurLayer", s));
}

TEST(CommandRules, StackCommandsNeedWhatTheyWorkOn)
{
    TCommandState s = idleWindow();
    s.currentLayer = 0;
    // Merging down needs a layer below the current one; pasting a picture on the clipboard;
    // cutting a selection.
    expectAll({"actLayerBindBelow", "actLayerBindLower", "actLayerPaste", "actLayerPasteNew",
               "actEditCut", "actLayerCutOutside"},
              s, false);
    expectAll({"actLayerBindAll", "actLayerDuplicate", "actLayerRotate", "actLayerZoom",
               "actEditResizePaper", "actEditChgResoPaper", "actAllRot90", "actVisNeg",
               "actFilterFlipLR", "actCreateLayerMul", "actEditCopy", "actEditCopyLayer"},
              s, true);
    s.currentLayer = 1;
    s.canPaste = true;
    s.hasSelection = true;
    expectAll({"actLayerBindBelow", "actLayerBindLower", "actLayerPaste", "actLayerPasteNew",
               "actEditCut", "actLayerCutOutside"},
              s, true);
    s.playing = true;
    expectAll({"actLayerBindBelow", "actLayerPaste", "actEditCut", "actAllRot270"}, s, false);
}

TEST(CommandRules, RecordingCommandsNeedARecordingThatIsNotPlayingBack)
{
    const auto recordingCommands = {"actFileSaveEvent", "actFileSaveEventGuard", "actEventRecStop"};
    TCommandState s = idleWindow();
    expectAll(recordingCommands, s, true);
    s.playing = true;
    expectAll(recordingCommands, s, false);
    s = idleWindow();
    s.recording = false;
    expectAll(recordingCommands, s, false);
    // A paper that records nothing still saves as a paper.
    EXPECT_TRUE(commandEnabled("actFileSave", s));
    // A stroke in progress does not stop saving the recording (the stroke is not in it yet).
    s = idleWindow();
    s.strokeInProgress = true;
    expectAll(recordingCommands, s, true);
}

TEST(CommandRules, PauseAndResumeTakeTurnsWhileAReplayIsOpen)
{
    TCommandState s = idleWindow();
    expectAll({"actEventPlayPause", "actEventPlayResume", "actEventPlayStop"}, s, false);
    s.replaying = true;
    EXPECT_TRUE(commandEnabled("actEventPlayPause", s));
    EXPECT_FALSE(commandEnabled("actEventPlayResume", s));
    EXPECT_TRUE(commandEnabled("actEventPlayStop", s));
    s.replayPaused = true;
    EXPECT_FALSE(commandEnabled("actEventPlayPause", s));
    EXPECT_TRUE(commandEnabled("actEventPlayResume", s));
    EXPECT_TRUE(commandEnabled("actEventPlayStop", s));
}

TEST(CommandRules, SelectionCommandsNeedASelectionWhereTheyChangeOne)
{
    const std::initializer_list<const char*> needSelection = {
        "actSelectInvert", "actSelectDelete", "actSelectInflate", "actSelectInflate2",
        "actSelectDeflate", "actSelectDeflate2", "actSelectCutOutside", "actSelectCopyLayerMask",
        "actSelectNewLayer", "actSelectSplitLayer", "actSelectImgFill", "actSelectImgDelete"};
    const std::initializer_list<const char*> anyTime = {
        "actSelectAll", "actSelectEnable", "actSelectVisible", "actSelectColorRange",
        "actSelectFromLayerMask", "actSelectFromLayerValue", "actSelectInsert",
        "actSelectDuplicate", "actLayerMaskFill", "actLayerMaskClear", "actLayerMaskNega",
        "actProtectLayerMask"};
    TCommandState s = idleWindow();
    s.maskCount = 1;
    expectAll(needSelection, s, false);
    expectAll(anyTime, s, true);
    EXPECT_FALSE(commandEnabled("actSelectRemove", s)) << "the last mask stays";
    s.hasSelection = true;
    s.maskCount = 2;
    expectAll(needSelection, s, true);
    EXPECT_TRUE(commandEnabled("actSelectRemove", s));
    s.playing = true;
    expectAll(needSelection, s, false);
    expectAll(anyTime, s, false);
}

} // namespace qm
