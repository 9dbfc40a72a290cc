// What the whole program shares with its windows: the settings, the tool mode, the live pen
// stroke, the tablet's proximity, and the main window's hooks for what other windows show.
#pragma once

#include "files/app_profile.h"
#include "paint/mode_mngr.h"
#include "paint/stroke.h"
#include "ui/ui_text.h"

#include <QString>

#include <functional>

namespace qm::ui {

struct TAppContext {
    CAppProfile profile;
    CModeMngr modes;
    TStroke liveStroke;
    TDeferredMessageSink messages;

    bool tabletInProximity = false;
    // Drops a first sample at full pressure that follows one below half (some tablets send it).
    bool tabletDropFullSpike = false;
    // The kind the pen had before its eraser end came near (−1: none remembered).
    int32_t kindBeforeEraser = -1;

    // The pen colour changed (picking): the colour window follows.
    std::function<void()> colourChanged;
    // A line for the status bar (positions, picked colours).
    std::function<void(const QString&)> showStatus;
};

} // namespace qm::ui
