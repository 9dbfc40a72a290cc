// What the whole program shares with its windows: the settings, the tool mode, the live pen
// stroke, the tablet's proximity, and the main window's hooks for what other windows show.
#pragma once

#include "colour/colour_mngr.h"
#include "files/app_profile.h"
#include "palette/palette.h"
#include "paint/mode_mngr.h"
#include "paint/stroke.h"
#include "select/mask_mngr.h"
#include "tone/grad_mngr.h"
#include "tone/tone_mngr.h"
#include "ui/ui_text.h"

#include <QDateTime>
#include <QString>

#include <functional>
#include <memory>

namespace qm::ui {

struct TAppContext {
    CAppProfile profile;
    CModeMngr modes;
    TStroke liveStroke;
    std::unique_ptr<CColorMngr> colours; // the pen's colours, made at start-up
    // The screentones and the gradations the tone and gradation windows keep, loaded from
    // their set files at start-up.
    std::unique_ptr<CToneMngr> tones;
    std::unique_ptr<CGradMngr> gradations;
    // The palette window's swatches, loaded from "palFile" at start-up and written back at exit.
    std::unique_ptr<CPalette> palette;
    TDeferredMessageSink messages;

    bool tabletInProximity = false;
    // When the tablet last reported (ms since the epoch). Some drivers never say that the pen
    // has left, so proximity also lapses when the pen has been silent for a while.
    qint64 lastTabletEvent = 0;
    static constexpr qint64 kProximityLapseMs = 2000;
    bool penNear() const
    {
        return tabletInProximity &&
               QDateTime::currentMSecsSinceEpoch() - lastTabletEvent < kProximityLapseMs;
    }
    // Drops a first sample at full pressure that follows one below half (some tablets send it).
    bool tabletDropFullSpike = false;
    // How the selection tools and the wand combine a new area with the selection, when no
    // modifier key says otherwise (the options window sets it).
    MaskCombine selectionCombine = MaskCombine::Replace;
    // The kind the pen had before its eraser end came near (−1: none remembered).
    int32_t kindBeforeEraser = -1;

    // The pen colour changed (picking): the colour window follows.
    std::function<void()> colourChanged;
    // A line for the status bar (positions, picked colours).
    std::function<void(const QString&)> showStatus;
    // The live stroke's settings changed outside the pen window (eraser end, brush size).
    std::function<void()> strokeChanged;
};

} // namespace qm::ui
