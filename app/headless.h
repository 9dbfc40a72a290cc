// The modes that need no display: render (replay a recording, write its picture and the
// recording, report a status), viewer (replay and report) and export (convert files).
#pragma once

#include "files/command_line.h"

#include <string>

namespace qm {

// Render-mode statuses.
enum class TRenderStatus : int32_t {
    written = 8,      // picture and recording written
    writeFailed = 9,
    cannotOpen = 10,  // missing, unreadable or not a recording that replays
    protectedRecording = 11,
    viewerDone = 13,
};

// Reports a status the render way: the first ".bad" or ".prt" marker of the run beside
// `base`, the viewer's hold time, the status line on the report descriptor. Returns the
// process exit code.
int reportRenderStatus(const TCommandLine& line, const std::string& base, TRenderStatus status,
                       bool& markerWritten);

struct TExportSettings;

// Each returns the process exit code. Export writes pictures as the user's settings say.
int runRender(const TCommandLine& line);
int runExport(const TCommandLine& line, const TExportSettings& settings);

} // namespace qm
