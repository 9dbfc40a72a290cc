// Entry point of the quillmere executable. Render and export run without any window system,
// as does the viewer when there is no display; everything else opens the window.
#include "app/document.h"
#include "app/headless.h"
#include "files/command_line.h"
#include "ui/application.h"

#include <cstdlib>

#include <cstdio>
#include <string>
#include <vector>

namespace {

void printUsage()
{
    std::printf(
        "Usage: quillmere [switches] [files...]\n"
        "\n"
        "Switches begin with \"-\" (or \"--\") and are compared without regard to case;\n"
        "anything else, including a path beginning with \"/\", is a file.\n"
        "\n"
        "  -render FILE      replay a recording (.qm3, .qme, .zx3, .vke) to its end, write its\n"
        "                    picture as FILE.bmp and the recording back beside it\n"
        "  -viewer FILE      replay a recording to its end on screen and report; writes\n"
        "                    nothing (without a display it replays headless)\n"
        "  -O<folder>        output folder (default: beside the input)\n"
        "  -W<fd>            write each status as a line \"status <code>\" to descriptor fd\n"
        "  -T<seconds>       viewer: wait this long before reporting\n"
        "  -export FILE...   convert papers, recordings and pictures (.qmp .vkb .qm3 .qme .vke\n"
        "                    .bmp .png .jpg .psd .ora)\n"
        "  -X<ext>           export as png (default), bmp, jpg, psd or ora (layered) or qmp\n"
        "  -help, -version\n"
        "\n"
        "Render status (exit code 0 for 8, else the status): 8 written, 9 write failed,\n"
        "10 cannot open (a FILE.bad marker is left), 11 protected recording (FILE.prt),\n"
        "13 viewer done.\n");
}

bool hasDisplay()
{
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        if (const char* value = std::getenv(name); value && *value)
            return true;
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    const qm::TCommandLine line = qm::parseCommandLine(args);
    if (line.help) {
        printUsage();
        return 0;
    }
    if (line.version) {
        std::printf("Quillmere %s\n", QUILLMERE_VERSION);
        return 0;
    }
    const bool headless = line.exportMode || (line.render && !line.viewer) ||
                          (line.viewer && !hasDisplay());
    if (headless)
        for (const std::string& arg : line.unknownSwitches)
            std::fprintf(stderr, "unknown command line switch!\n    arg = %s\n", arg.c_str());
    if (line.exportMode)
        return qm::runExport(line, qm::ui::storedExportSettings());
    if (headless)
        return qm::runRender(line);
    return qm::ui::runApplication(argc, argv, line);
}
