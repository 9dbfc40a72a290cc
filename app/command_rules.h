// When each menu command of the main window can run: a pure function of the program's state
// and the active drawing window's, looked up by the command's action name ("actFileSave").
// Names it does not know are never enabled.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace qm {

struct TCommandState {
    bool replayOnly = false; // a render or viewer run: one recording, nothing else opens
    bool hasWindow = false;  // a drawing window is active; the fields below describe it
    bool playing = false;    // it plays back a recording
    bool replaying = false;  // its document still has a replay open (running or paused)
    bool replayPaused = false;
    bool strokeInProgress = false;
    bool recording = false;  // its paper records events
    bool canUndo = false;    // on the current layer
    bool canRedo = false;
    bool canZoomIn = false;
    bool canZoomOut = false;
    int32_t layerCount = 0;
    bool hasSelection = false; // the current mask is not empty
    int32_t maskCount = 0;
    int32_t currentLayer = -1;
    bool canPaste = false; // the clipboard holds a picture
    bool hasRecentFiles = false;
};

bool commandEnabled(std::string_view action, const TCommandState& state);
// Every command that has a rule, by name (the window binds an action to each).
std::vector<std::string_view> ruledCommands();

} // namespace qm
