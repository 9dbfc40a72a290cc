#include "app/command_rules.h"

#include <algorithm>
#include <array>

namespace qm {

namespace {

using TRule = bool (*)(const TCommandState&);

bool always(const TCommandState&) { return true; }
bool notReplayOnly(const TCommandState& s) { return !s.replayOnly; }
bool active(const TCommandState& s) { return s.hasWindow; }
// The paper may change or be written: nothing plays back and no stroke is half done.
bool editable(const TCommandState& s)
{
    return s.hasWindow && !s.playing && !s.strokeInProgress;
}
bool recording(const TCommandState& s) { return s.hasWindow && s.recording && !s.playing; }
bool replaying(const TCommandState& s) { return s.hasWindow && s.replaying; }
bool selects(const TCommandState& s) { return editable(s) && s.hasSelection; }
bool pastes(const TCommandState& s) { return editable(s) && s.canPaste; }
// A new paper needs no window, only a picture and no replay in the way.
bool pastesNewPaper(const TCommandState& s) { return !s.replayOnly && s.canPaste; }
// A layer lies below the current one.
bool mergesDown(const TCommandState& s) { return editable(s) && s.currentLayer > 0; }

struct TCommandRule {
    std::string_view action;
    TRule rule;
};

// Sorted by name for the look-up.
constexpr auto kRules = std::to_array<TCommandRule>({
    {"actAboutBox", always},
    {"actAllRot270", editable},
    {"actAllRot90", editable},
    {"actCloseApp", always},
    {"actCreateLayerAdd", editable},
    {"actCreateLayerMul", editable},
    {"actCreateLayerStd", editable},
    {"actCreateLayerSub", editable},
    {"actDeleteCurLayer", [](const TCommandState& s) { return editable(s) && s.layerCount > 1; }},
    {"actEditChgDPI", editable},
    {"actEditChgPaperColor", editable},
    {"actEditChgResoPaper", editable},
    {"actEditCopy", editable},
    {"actEditCopyLayer", editable},
    {"actEditCut", selects},
    {"actEditRedo", [](const TCommandState& s) { return editable(s) && s.canRedo; }},
    {"actEditResizePaper", editable},
    {"actEditUndo", [](const TCommandState& s) { return editable(s) && s.canUndo; }},
    {"actEditUndoClear", editable},
    {"actEventPlayPause", [](const TCommandState& s) { return replaying(s) && !s.replayPaused; }},
    {"actEventPlayResume", [](const TCommandState& s) { return replaying(s) && s.replayPaused; }},
    {"actEventPlayStop", replaying},
    {"actEventRecStop", recording},
    {"actEventWait", always},
    {"actFileClose", active},
    {"actFileNew", notReplayOnly},
    {"actFileOpen", notReplayOnly},
    {"actFileOpenEvent", notReplayOnly},
    {"actFileReopen", [](const TCommandState& s) { return !s.replayOnly && s.hasRecentFiles; }},
    {"actFileSave", editable},
    {"actFileSaveAs", editable},
    {"actFileSaveEvent", recording},
    {"actFileSaveEventGuard", recording},
    {"actFilterBlur", editable},
    {"actFilterBlurMove", editable},
    {"actFilterBlurStrong", editable},
    {"actFilterBlurZoom", editable},
    {"actFilterCloud", editable},
    {"actFilterContrast", editable},
    {"actFilterEmboss", editable},
    {"actFilterFlipLR", editable},
    {"actFilterFlipTB", editable},
    {"actFilterFloor", editable},
    {"actFilterGamma", editable},
    {"actFilterGauss", editable},
    {"actFilterHLS", editable},
    {"actFilterLevel", editable},
    {"actFilterLighting", editable},
    {"actFilterMono", editable},
    {"actFilterMosaic", editable},
    {"actFilterNega", editable},
    {"actFilterNoize", editable},
    {"actFilterPoster", editable},
    {"actFilterRock", editable},
    {"actFilterRot180", editable},
    {"actFilterSharp", editable},
    {"actFilterSharpCustom", editable},
    {"actFilterSharpStrong", editable},
    {"actFilterTile", editable},
    {"actFilterTwist", editable},
    {"actFilterWave", editable},
    {"actLangEnglish", always},
    {"actLangJapanese", always},
    {"actLayerBindAll", editable},
    {"actLayerBindBelow", mergesDown},
    {"actLayerBindLower", mergesDown},
    {"actLayerCreate", editable},
    {"actLayerCutOutside", selects},
    {"actLayerDuplicate", editable},
    {"actLayerHideAll", editable},
    {"actLayerMaskClear", editable},
    {"actLayerMaskFill", editable},
    {"actLayerMaskNega", editable},
    {"actLayerPaste", pastes},
    {"actLayerPasteNew", pastes},
    {"actLayerRot270", editable},
    {"actLayerRot90", editable},
    {"actLayerRotate", editable},
    {"actLayerSave", editable},
    {"actLayerVisAll", editable},
    {"actLayerVisFlip", editable},
    {"actLayerVisOnly", editable},
    {"actLayerZoom", editable},
    {"actOpenHtmlHelp", always},
    {"actPasteNew", pastesNewPaper},
    {"actPrintOut", editable},
    {"actPrinterSetup", notReplayOnly},
    {"actProtectLayerMask", editable},
    {"actSaveAutoBmp", active},
    {"actScanner", notReplayOnly},
    {"actSelectAll", editable},
    {"actSelectColorRange", editable},
    {"actSelectCopyLayerMask", selects},
    {"actSelectCutOutside", selects},
    {"actSelectDeflate", selects},
    {"actSelectDeflate2", selects},
    {"actSelectDelete", selects},
    {"actSelectDuplicate", editable},
    {"actSelectEnable", editable},
    {"actSelectFromLayerMask", editable},
    {"actSelectFromLayerValue", editable},
    {"actSelectImgDelete", selects},
    {"actSelectImgFill", selects},
    {"actSelectInflate", selects},
    {"actSelectInflate2", selects},
    {"actSelectInsert", editable},
    {"actSelectInvert", selects},
    {"actSelectNewLayer", selects},
    {"actSelectRemove", [](const TCommandState& s) { return editable(s) && s.maskCount > 1; }},
    {"actSelectSplitLayer", selects},
    {"actSelectVisible", editable},
    {"actShowColorWindow", always},
    {"actShowCtrlWindow", always},
    {"actShowEnvWindow", always},
    {"actShowGradWindow", always},
    {"actShowGrid", active},
    {"actShowHsvWindow", always},
    {"actShowLayerWindow", always},
    {"actShowNetWindow", always},
    {"actShowPalWindow", always},
    {"actShowPatWindow", always},
    {"actShowPenWindow", always},
    {"actShowPreviewWindow", always},
    {"actShowRgbWindow", always},
    {"actShowSelectWindow", always},
    {"actShowToneWindow", always},
    {"actShowToolBox", always},
    {"actTabletTester", always},
    {"actViewAntiAlias", always},
    {"actViewZoomCancel", active},
    {"actViewZoomIn", [](const TCommandState& s) { return s.hasWindow && s.canZoomIn; }},
    {"actViewZoomOut", [](const TCommandState& s) { return s.hasWindow && s.canZoomOut; }},
    {"actVisFlipLR", editable},
    {"actVisFlipTB", editable},
    {"actVisNeg", editable},
    {"actVisRot180", editable},
    {"actWebHomePage", always},
    {"actWebRegEvent", always},
    {"actWindowCascade", active},
    {"actWindowInitAllPos", always},
    {"actWindowNext", active},
    {"actWindowPrevious", active},
    {"actWindowSizeFit", active},
    {"actWindowTile", active},
});

constexpr bool sortedByName()
{
    for (size_t i = 1; i < kRules.size(); ++i)
        if (!(kRules[i - 1].action < kRules[i].action))
            return false;
    return true;
}
static_assert(sortedByName(), "the rule table must stay sorted by action name");

} // namespace

bool commandEnabled(std::string_view action, const TCommandState& state)
{
    const auto it = std::lower_bound(kRules.begin(), kRules.end(), action,
                                     [](const TCommandRule& r, std::string_view name) {
                                         return r.action < name;
                                     });
    return it != kRules.end() && it->action == action && it->rule(state);
}

std::vector<std::string_view> ruledCommands()
{
    std::vector<std::string_view> names;
    for (const TCommandRule& r : kRules)
        names.push_back(r.action);
    return names;
}

} // namespace qm
