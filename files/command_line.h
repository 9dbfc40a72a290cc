// The command line: switches introduced by "-" (or "--"; a path beginning with "/" is a file),
// compared without regard to case, and the files to open, in order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qm {

struct TCommandLine {
    bool render = false;  // replay the first recording, write picture and recording, report
    bool viewer = false;  // replay the first recording and report; writes nothing
    bool exportMode = false;
    bool help = false;
    bool version = false;
    std::string outputFolder;   // "O…": empty = beside the input
    int32_t reportFd = -1;      // "W…": a file descriptor that gets one line per status
    int32_t holdSeconds = 0;    // "T…": how long the viewer waits before reporting
    std::string exportExtension = "png"; // "X…" in export mode
    std::vector<std::string> files;
    std::vector<std::string> unknownSwitches; // each warned about; start-up goes on
};

TCommandLine parseCommandLine(const std::vector<std::string>& args);

// Kinds of file by extension (compared without regard to case); 0 for anything else.
enum class TFileKind : int32_t {
    unknown = 0,
    legacyPaper = 1,  // .vkb
    legacyEvents = 2, // .vke
    paper = 3,        // .qmp
    events21 = 4,     // .qme
    events3 = 5,      // .qm3, .zx3
    bmp = 6,
    jpeg = 7,
    png = 8,
    psd = 9,
    ora = 10, // OpenRaster
};
TFileKind fileKindOf(const std::string& path);
inline bool isRecording(TFileKind kind)
{
    return kind == TFileKind::legacyEvents || kind == TFileKind::events21 ||
           kind == TFileKind::events3;
}

} // namespace qm
