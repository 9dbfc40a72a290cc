// The headless modes, through the real executable.
#include "../paper/paper_fixture.h"
#include "core/byte_io.h"
#include "events/event_mngr.h"
#include "events/event_packet.h"
#include "files/app_profile.h"
#include "files/command_line.h"
#include "files/jpeg_codec.h"
#include "files/picture.h"
#include "files/psd_reader.h"
#include "paper/paper.h"
#include "paperfile/paper_file.h"

#include <gtest/gtest.h>

#include <algorithm>
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
        // A half-opaque layer on top, with a stroke across the others.
        paper->createLayer(flow, 1, 60, 40, true, 128, 3, true);
        stroke.resetToDefaults(0);
        stroke.setKind(0);
        stroke.setWidth(4);
        stroke.setColor(0xC03010u);
        paper->beginStroke(flow, stroke, true, 30, 2, 0.5f);
        for (int i = 1; i < 10; ++i)
            paper->continueStroke(flow, stroke, true, nullptr, 30.0f - i, 2.0f + 4 * i, 1.0f);
        TRect rect;
        paper->endStroke(flow, stroke, true, rect, nullptr);
    }
};

// The flattened picture a paper of normal layers should give, composed here from the rule:
// the paper colour, then every visible layer from the bottom, each pixel painted over with
// a = opacity × alpha / 255 (truncated): a = 0 keeps the colour, a = 255 takes the layer's, and
// otherwise each colour byte d becomes (s·a·32897 + d·(8388735 − a·32897)) >> 23.
TMTC composeByHand(TPaper& paper)
{
    TMTC picture(paper.width, paper.height);
    for (int32_t y = 0; y < paper.height; ++y)
        for (int32_t x = 0; x < paper.width; ++x)
            picture.row(y)[x] = 0xFF000000u | (paper.paperColor & 0xFFFFFFu);
    for (int32_t i = 0; i < paper.layerCount(); ++i) {
        const CLayerData& layer = *paper.layer(i);
        if (!layer.visible) continue;
        EXPECT_EQ(layer.mode & 0x7F, 3) << "this picture is composed for normal layers only";
        EXPECT_EQ(layer.blendNoise, 0);
        const TMTC pixels = test::flatLayer(layer);
        for (int32_t y = 0; y < paper.height; ++y)
            for (int32_t x = 0; x < paper.width; ++x) {
                const int32_t lx = x + layer.offsetX, ly = y + layer.offsetY;
                if (lx < 0 || ly < 0 || lx >= pixels.width() || ly >= pixels.height()) continue;
                const uint32_t s = pixels.pixel(lx, ly);
                const uint64_t a = uint64_t(layer.opacity) * (s >> 24) / 255;
                uint32_t& d = picture.row(y)[x];
                if (a == 0) continue;
                uint32_t out = 0xFF000000u;
                for (int shift : {0, 8, 16}) {
                    const uint64_t sc = (s >> shift) & 0xFF, dc = (d >> shift) & 0xFF;
                    out |= uint32_t(a == 255 ? sc
                                             : (sc * a * 32897 + dc * (8388735 - a * 32897)) >> 23)
                           << shift;
                }
                d = out;
            }
    }
    return picture;
}

// The colour bytes of a written picture against the expected ones: the largest difference of
// any channel and the mean difference over all channels.
struct TPictureDifference {
    int32_t largest = 0;
    double mean = 0;
};

TPictureDifference difference(const TMTC& got, const TMTC& want)
{
    TPictureDifference d;
    EXPECT_EQ(got.width(), want.width());
    EXPECT_EQ(got.height(), want.height());
    if (got.width() != want.width() || got.height() != want.height()) {
        d.largest = 256;
        return d;
    }
    int64_t total = 0;
    for (int32_t y = 0; y < want.height(); ++y)
        for (int32_t x = 0; x < want.width(); ++x)
            for (int shift : {0, 8, 16}) {
                const int32_t e = std::abs(int32_t((got.pixel(x, y) >> shift) & 0xFF) -
                                           int32_t((want.pixel(x, y) >> shift) & 0xFF));
                d.largest = std::max(d.largest, e);
                total += e;
            }
    d.mean = double(total) / (3.0 * want.width() * want.height());
    return d;
}

// How many pixels show something other than the paper colour: a picture to compare with
// must have some.
int32_t paintedPixels(const TMTC& picture, uint32_t paperColour)
{
    int32_t n = 0;
    for (int32_t y = 0; y < picture.height(); ++y)
        for (int32_t x = 0; x < picture.width(); ++x)
            n += (picture.pixel(x, y) & 0xFFFFFF) != (paperColour & 0xFFFFFF);
    return n;
}

// What the recording replays to in this process, composed by hand.
TMTC replayedAndComposed(const std::string& path)
{
    test::RecordedPaper player;
    EXPECT_EQ(player.events().openEventFile(path, player.flow), TReplayOpen::success);
    EXPECT_EQ(player.events().replayAll(player.flow), TReplayStep::end);
    EXPECT_EQ(player.paper->layerCount(), 2);
    TMTC picture = composeByHand(*player.paper);
    EXPECT_GT(paintedPixels(picture, player.paper->paperColor), 300);
    return picture;
}

// JPEG keeps the picture only nearly: the largest and the mean error per channel it may have.
constexpr int32_t kJpegLargestError = 64;
constexpr double kJpegMeanError = 4.0;

// The picture file's colour bytes are exactly the expected picture's.
void expectSamePicture(const std::string& path, const TMTC& want)
{
    TPicture picture;
    ASSERT_EQ(readPicture(path, picture), PictureError::None) << path;
    const TPictureDifference d = difference(picture.image, want);
    EXPECT_EQ(d.largest, 0) << path << " differs by up to " << d.largest << ", " << d.mean
                            << " on average";
}

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

// Sets an environment variable for the executable while it lives.
struct ScopedEnvironment {
    ScopedEnvironment(const char* name, const std::string& value) : name_(name)
    {
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnvironment() { ::unsetenv(name_); }
    const char* name_;
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

// A layer of the PSD file against the paper's layer: placed at its corner on a transparent
// picture of the paper's size, the same alpha everywhere and the same colour wherever it
// shows; its opacity and visibility as the layer's.
void expectLayerAsWritten(const CLayerData& layer, const TPsdLayer& written, int32_t width,
                          int32_t height)
{
    EXPECT_EQ(written.opacity, layer.opacity);
    EXPECT_EQ(written.visible, layer.visible != 0);
    const TMTC pixels = test::flatLayer(layer);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const int32_t lx = x + layer.offsetX, ly = y + layer.offsetY;
            const uint32_t want = lx >= 0 && ly >= 0 && lx < pixels.width() && ly < pixels.height()
                                      ? pixels.pixel(lx, ly)
                                      : 0;
            const int32_t wx = x - written.left, wy = y - written.top;
            const uint32_t got =
                wx >= 0 && wy >= 0 && wx < written.pixels.width() && wy < written.pixels.height()
                    ? written.pixels.pixel(wx, wy)
                    : 0;
            ASSERT_EQ(got >> 24, want >> 24) << "alpha at " << x << "," << y;
            if ((want >> 24) != 0) {
                ASSERT_EQ(got & 0xFFFFFF, want & 0xFFFFFF) << "colour at " << x << "," << y;
            }
        }
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
    // The picture is the replayed layers over the paper colour.
    const TMTC expected = replayedAndComposed(dir / "d.qm3");
    expectSamePicture(dir / "out/d.bmp", expected);

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
    const TMTC expected = composeByHand(*drawing.paper);
    ASSERT_GT(paintedPixels(expected, drawing.paper->paperColor), 300);
    // The export reads the stored settings: none here, so the program's own JPEG settings.
    const ScopedEnvironment settings("QUILLMERE_SETTINGS_FILE", dir / "no-settings.ini");
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
            ASSERT_EQ(readPsdFile(out, psd), 0);
            EXPECT_EQ(psd.width, 60);
            // The merged picture, and each layer where the paper shows it.
            EXPECT_EQ(difference(psd.merged, expected).largest, 0);
            ASSERT_EQ(psd.layers.size(), size_t(drawing.paper->layerCount()));
            for (size_t i = 0; i < psd.layers.size(); ++i)
                expectLayerAsWritten(*drawing.paper->layer(int32_t(i)), psd.layers[i], 60, 40);
        } else if (std::string(ext) == "jpg") {
            // Lossy: close everywhere, and very close on average…
            TPicture picture;
            ASSERT_EQ(readPicture(out, picture), PictureError::None);
            const TPictureDifference d = difference(picture.image, expected);
            EXPECT_LE(d.largest, kJpegLargestError);
            EXPECT_LE(d.mean, kJpegMeanError);
            // …and exactly what the codec makes of the expected picture, since thin coloured
            // strokes lose more to the halved colour resolution than a tolerance can allow.
            ASSERT_TRUE(saveJpeg(expected, dir / "expected.jpg", CAppProfile().jpegOptions(), 0));
            expectSamePicture(out, [&] {
                TPicture coded;
                EXPECT_EQ(readPicture(dir / "expected.jpg", coded), PictureError::None);
                return std::move(coded.image);
            }());
        } else if (std::string(ext) != "qmp") {
            expectSamePicture(out, expected);
        }
    }
    // The paper file written by the export holds the same picture.
    {
        test::RecordedPaper loaded;
        ASSERT_EQ(loadPaperFile(dir / "out/d.qmp", *loaded.paper, loaded.flow),
                  PaperFileError::None);
        EXPECT_EQ(difference(composeByHand(*loaded.paper), expected).largest, 0);
    }
    // A recording exports too; a file that is not there makes the run fail.
    ASSERT_TRUE(drawing.events().saveToFile(dir / "r.qm3", 0, true));
    EXPECT_EQ(run("-export -O" + (dir / "out") + " " + (dir / "r.qm3") + " >/dev/null"), 0);
    expectSamePicture(dir / "out/r.png", replayedAndComposed(dir / "r.qm3"));
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
