// The headless modes, through the real executable.
#include "../paper/paper_fixture.h"
#include "core/byte_io.h"
#include "events/event_mngr.h"
#include "events/event_packet.h"
#include "files/command_line.h"
#include "paperfile/paper_file.h"
#include "files/picture.h"
#include "files/psd_reader.h"
#include "paper/paper.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>

namespace qm {

namespace {

namespace fs = std::filesystem;

// A small drawing recorded by the engine, saved as a recording (and as a paper file).
struct Drawing : test::RecordedPaper {
    Drawing()
    {
        paper->initPaper("d", flow, 60, 40);
        for (int kind : {0, 5, 1}) {
            stroke.resetToDefaults(kind);
            stroke.setKind(kind);
            stroke.setWidth(5);
            stroke.setColor(0x2050A0u + uint32_t(kind));
            paper->beginStroke(flow, stroke, true, 5, 5.0f + 10 * kind, 0.4f);
            for (int i = 1; i < 12; ++i)
                paper->continueStroke(flow, stroke, true, nullptr, 5.0f + 4 * i,
                                      5.0f + 10 * kind + i, 0.9f);
            TRect rect;
            paper->endStroke(flow, stroke, true, rect, nullptr);
        }
    }
};

struct TempDir {
    TempDir() : path(fs::temp_directory_path() / ("quillmere_cli_" + std::to_string(::getpid())))
    {
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TempDir() { fs::remove_all(path); }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
    fs::path path;
};

// Runs the executable with the arguments through the shell; the exit code.
int run(const std::string& arguments)
{
    const std::string command = std::string("'") + QUILLMERE_EXECUTABLE + "' " + arguments;
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST(CommandLine, SwitchRules)
{
    const TCommandLine a = parseCommandLine(
        {"-RENDER", "--o/tmp/out", "-W3", "-t5", "/home/me/a.qm3", "-bogus", "b.vke"});
    EXPECT_TRUE(a.render);
    EXPECT_FALSE(a.viewer);
    EXPECT_EQ(a.outputFolder, "/tmp/out");
    EXPECT_EQ(a.reportFd, 3);
    EXPECT_EQ(a.holdSeconds, 5);
    EXPECT_EQ(a.files, (std::vector<std::string>{"/home/me/a.qm3", "b.vke"}));
    EXPECT_EQ(a.unknownSwitches, (std::vector<std::string>{"-bogus"}));
    const TCommandLine b = parseCommandLine({"-viewer", "--Export", "-XJPG", "-", "--Help"});
    EXPECT_TRUE(b.viewer && b.render && b.exportMode && b.help);
    EXPECT_EQ(b.exportExtension, "jpg");
    EXPECT_EQ(b.files, (std::vector<std::string>{"-"}));
    EXPECT_EQ(fileKindOf("x.ZX3"), TFileKind::events3);
    EXPECT_EQ(fileKindOf("x.txt"), TFileKind::unknown);
}

TEST(Headless, RenderWritesPictureAndRecordingAndReportsStatus)
{
    TempDir dir;
    Drawing drawing;
    ASSERT_TRUE(drawing.events().saveToFile(dir / "d.qm3", 1, true));
    fs::create_directories(dir.path / "out");
    EXPECT_EQ(run("-render -O" + (dir / "out") + " -W3 " + (dir / "d.qm3") + " 3>" +
                  (dir / "status")),
              0);
    EXPECT_EQ(slurp(dir / "status"), "status 8\n");
    const std::string bmp = slurp(dir / "out/d.bmp");
    ASSERT_FALSE(bmp.empty());
    ASSERT_TRUE(fs::exists(dir / "out/d.qm3"));
    TPicture picture;
    ASSERT_EQ(readPicture(dir / "out/d.bmp", picture), PictureError::None);
    EXPECT_EQ(picture.image.width(), 60);

    // The same recording again, and the recording written back, give the same picture.
    fs::create_directories(dir.path / "again");
    EXPECT_EQ(run("-render -O" + (dir / "again") + " " + (dir / "d.qm3")), 0);
    EXPECT_EQ(slurp(dir / "again/d.bmp"), bmp);
    EXPECT_EQ(slurp(dir / "again/d.qm3"), slurp(dir / "out/d.qm3"));
    fs::create_directories(dir.path / "back");
    EXPECT_EQ(run("-render -O" + (dir / "back") + " " + (dir / "out/d.qm3")), 0);
    EXPECT_EQ(slurp(dir / "back/d.bmp"), bmp);

    // Viewer mode writes nothing and reports 13.
    fs::create_directories(dir.path / "view");
    EXPECT_EQ(run("-viewer -O" + (dir / "view") + " " + (dir / "d.qm3")), 13);
    EXPECT_TRUE(fs::is_empty(dir.path / "view"));
}

TEST(Headless, ProtectedBrokenAndMissingRecordingsLeaveMarkers)
{
    TempDir dir;
    Drawing drawing;
    ASSERT_TRUE(drawing.events().saveProtectedToFile(dir / "p.qm3", 1));
    EXPECT_EQ(run("-render " + (dir / "p.qm3") + " 2>/dev/null"), 11);
    EXPECT_TRUE(fs::exists(dir / "p.prt"));
    EXPECT_FALSE(fs::exists(dir / "p.bmp"));

    EXPECT_EQ(run("-render " + (dir / "missing.qm3") + " 2>/dev/null"), 10);
    EXPECT_TRUE(fs::exists(dir / "missing.bad"));
    std::ofstream(dir / "broken.qm3") << "not a recording";
    EXPECT_EQ(run("-render -W1 " + (dir / "broken.qm3") + " >" + (dir / "s") + " 2>/dev/null"),
              10);
    EXPECT_TRUE(fs::exists(dir / "broken.bad"));
    EXPECT_EQ(slurp(dir / "s"), "status 10\n");
}

TEST(Headless, ExportConvertsAPaperToEveryFormat)
{
    TempDir dir;
    Drawing drawing;
    ASSERT_EQ(savePaperFile(dir / "d.qmp", *drawing.paper, paperFileOption::all),
              PaperFileError::None);
    fs::create_directories(dir.path / "out");
    for (const char* ext : {"png", "bmp", "jpg", "psd", "qmp"}) {
        SCOPED_TRACE(ext);
        EXPECT_EQ(run(std::string("-export -X") + ext + " -O" + (dir / "out") + " " +
                      (dir / "d.qmp") + " >/dev/null"),
                  0);
        const std::string out = dir / (std::string("out/d.") + ext);
        ASSERT_TRUE(fs::exists(out));
        if (std::string(ext) == "psd") {
            TPsdDocument psd;
            EXPECT_EQ(readPsdFile(out, psd), 0);
            EXPECT_EQ(psd.width, 60);
        } else if (std::string(ext) != "qmp") {
            TPicture picture;
            EXPECT_EQ(readPicture(out, picture), PictureError::None);
            EXPECT_EQ(picture.image.height(), 40);
        }
    }
    // A recording exports too; a file that is not there makes the run fail.
    ASSERT_TRUE(drawing.events().saveToFile(dir / "r.qm3", 0, true));
    EXPECT_EQ(run("-export -O" + (dir / "out") + " " + (dir / "r.qm3") + " >/dev/null"), 0);
    EXPECT_TRUE(fs::exists(dir / "out/r.png"));
    EXPECT_EQ(run("-export " + (dir / "nope.qmp") + " 2>/dev/null"), 1);
}

TEST(Headless, OldRecordingRendersAndIsWrittenBackInItsOwnFormat)
{
    TempDir dir;
    TEventPacket packets;
    ByteWriter size;
    size.u16(30), size.u16(20);
    ASSERT_TRUE(packets.appendPacket(512, size.data()));
    ByteWriter stroke;
    stroke.u8(0), stroke.u8(0x20), stroke.u8(0x40), stroke.u8(0x80), stroke.u8(0);
    for (int v : {2 * 256, 0, 256, 0, 0, 0})
        stroke.u16(uint16_t(v));
    stroke.i16(3), stroke.i16(5), stroke.i16(1024), stroke.u16(2);
    for (int16_t x : {10, 20})
        stroke.i16(x), stroke.i16(5), stroke.i16(1024);
    ASSERT_TRUE(packets.appendPacket(0, stroke.data()));
    packets.appendEndCode();
    ASSERT_TRUE(packets.save(dir / "old.vke", false, 1));
    fs::create_directories(dir.path / "out");
    EXPECT_EQ(run("-render -O" + (dir / "out") + " " + (dir / "old.vke")), 0);
    EXPECT_TRUE(fs::exists(dir / "out/old.bmp"));
    EXPECT_EQ(slurp(dir / "out/old.vke"), slurp(dir / "old.vke"));
}

} // namespace qm
