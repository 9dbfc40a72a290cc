// The drawing window as its paper sees it. The window owns the paper; the paper keeps the
// window's edit state here and asks it for the few things only a window can do. The GUI
// implements it; tests and headless runs use it as it is.
#pragma once

#include "core/message_sink.h"
#include "core/rect.h"
#include "core/view_sink.h"
#include "paint/stroke.h"

#include <cstdint>

namespace qm {

// What the window is playing back, which decides the stroke the paper paints with.
enum class TPlayback : uint8_t {
    none,    // live input: the main window's stroke
    current, // a recording of the current format: the event manager's stroke
    legacy,  // a version 1.1 recording: the window's own stroke
};

class TDrawWindow {
public:
    virtual ~TDrawWindow() = default;

    bool modified = false;
    bool strokeInProgress = false;
    int32_t pointCount = 0; // points of the stroke in progress
    TPlayback playback = TPlayback::none;
    bool smoothZoom = false; // the anti-aliased view: only exact-pixel zooms copy straight
    TStroke stroke;          // the window's own stroke, used by version 1.1 playback

    // Where refreshed parts of the display go; nullptr when nothing shows it.
    virtual ViewSink* view() { return nullptr; }
    virtual MessageSink& messages() { return stderrMessageSink(); }
    // Asks for a repaint of the whole client area.
    virtual void invalidate(bool /*erase*/) {}
    virtual void setWaitCursor(bool /*on*/) {}
    // The layer window should redraw (thumbnails, names, the current layer).
    virtual void layersChanged() {}
    // The navigator's picture changed in this rectangle of the paper.
    virtual void previewChanged(const TRect& /*rect*/) {}
    // The selection (mask list or its outline) changed.
    virtual void selectionChanged() {}
};

// Shows the wait cursor for as long as it lives.
class TWaitCursor {
public:
    explicit TWaitCursor(TDrawWindow& window) : window_(window) { window_.setWaitCursor(true); }
    ~TWaitCursor() { window_.setWaitCursor(false); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;

private:
    TDrawWindow& window_;
};

} // namespace qm
