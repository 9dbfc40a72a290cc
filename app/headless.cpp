// Render, viewer and export modes: the engine's own paper, replay and file code, with no
// window system at all.
#include "app/headless.h"

#include "core/clock.h"
#include "core/dib_header.h"
#include "core/safe_file.h"
#include "events/event_mngr.h"
#include "events/legacy_replay.h"
#include "files/app_profile.h"
#include "files/jpeg_codec.h"
#include "files/paper_file.h"
#include "files/picture.h"
#include "files/png_codec.h"
#include "files/psd_layers.h"
#include "files/psd_reader.h"
#include "files/psd_writer.h"
#include "paper/paper.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <unistd.h>

namespace qm {

namespace {

namespace fs = std::filesystem;

// Messages go to standard error, one line each.
class StderrSink : public MessageSink {
public:
    void showMessage(std::string_view text) override
    {
        std::string line(text);
        for (char& c : line)
            if (c == '\r')
                c = '\n';
        std::fprintf(stderr, "%s\n", line.c_str());
    }
};

class HeadlessWindow : public TDrawWindow {
public:
    MessageSink& messages() override { return sink; }
    StderrSink sink;
};

// A paper as the window would own it, with its recorder.
struct TDocument {
    TDocument()
    {
        services.liveStroke = &stroke;
        services.config = &config;
        services.makeEvents = eventRecorder(&stroke, nullptr, config.undoMax);
        paper = std::make_unique<TPaper>(window, services);
        flow.paper = paper.get();
    }
    CEventMngr& events() { return static_cast<CEventMngr&>(*paper->eventMngr); }
    // Papers that did not come from a recording record nothing new.
    void noRecording()
    {
        events().stopRecording();
        paper->eventOutputOff = 1;
    }

    TConfigSettings config;
    TStroke stroke;
    HeadlessWindow window;
    TPaperServices services;
    std::unique_ptr<TPaper> paper;
    TFlowImage flow;
    std::unique_ptr<TLegacyReplay> legacy; // set when a version 1.1 recording was played
};

// Shows the replay's progress on a terminal once it has run for a second.
class TProgress {
public:
    explicit TProgress(const std::string& name) : name_(name), start_(clockNow()) {}
    void show(int32_t percent)
    {
        if (!isatty(2) || clockNow() - start_ < 1000 || percent == last_)
            return;
        last_ = percent;
        std::fprintf(stderr, "\r%s: %d%%", name_.c_str(), percent);
        shown_ = true;
    }
    ~TProgress()
    {
        if (shown_)
            std::fprintf(stderr, "\n");
    }

private:
    static int64_t clockNow()
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    std::string name_;
    int64_t start_;
    int32_t last_ = -1;
    bool shown_ = false;
};

// Opens a recording and replays it to its end. A protected one is refused.
TRenderStatus replayRecording(TDocument& doc, const std::string& path, TFileKind kind)
{
    TProgress progress(fs::path(path).filename().string());
    if (kind == TFileKind::legacyEvents) {
        doc.legacy = std::make_unique<TLegacyReplay>(*doc.paper, doc.flow);
        if (!doc.legacy->open(path))
            return TRenderStatus::cannotOpen;
        if (doc.legacy->isProtected())
            return TRenderStatus::protectedRecording;
        TReplayStep step;
        while ((step = doc.legacy->step()) == TReplayStep::more)
            progress.show(doc.legacy->progress());
        return step == TReplayStep::end ? TRenderStatus::written : TRenderStatus::cannotOpen;
    }
    const TReplayOpen opened = doc.events().openEventFile(path, doc.flow, true);
    if (opened == TReplayOpen::protectedRefused)
        return TRenderStatus::protectedRecording;
    if (opened != TReplayOpen::success)
        return TRenderStatus::cannotOpen;
    TReplayStep step;
    while ((step = doc.events().replayStep(doc.flow)) == TReplayStep::more)
        progress.show(doc.events().replayProgress());
    return step == TReplayStep::end ? TRenderStatus::written : TRenderStatus::cannotOpen;
}

// The composite picture, opaque.
TMTC flattened(const TPaper& paper)
{
    TMTC picture(paper.width, paper.height);
    for (int32_t y = 0; y < paper.height; ++y) {
        const uint32_t* from = paper.displayImage.row(y);
        uint32_t* to = picture.row(y);
        for (int32_t x = 0; x < paper.width; ++x)
            to[x] = from[x] | 0xFF000000u;
    }
    return picture;
}

// ---- render and viewer ----

struct TRenderRun {
    const TCommandLine& line;
    std::string base; // output folder and the input's name without extension
    bool markerWritten = false;

    int report(TRenderStatus status)
    {
        if ((status == TRenderStatus::cannotOpen || status == TRenderStatus::protectedRecording) &&
            !markerWritten && !base.empty()) {
            std::ofstream(base + (status == TRenderStatus::cannotOpen ? ".bad" : ".prt"));
            markerWritten = true;
        }
        if (line.viewer && line.holdSeconds > 0)
            std::this_thread::sleep_for(std::chrono::seconds(line.holdSeconds));
        if (line.reportFd >= 0) {
            const std::string text = "status " + std::to_string(int(status)) + "\n";
            if (::write(line.reportFd, text.data(), text.size()) < 0)
                std::fprintf(stderr, "cannot write the status to descriptor %d\n", line.reportFd);
        }
        return status == TRenderStatus::written ? 0 : int(status);
    }
};

} // namespace

int runRender(const TCommandLine& line)
{
    TRenderRun run{line, {}};
    std::string input;
    for (const std::string& file : line.files)
        if (isRecording(fileKindOf(file))) {
            input = file;
            break;
        }
    if (input.empty()) {
        std::fprintf(stderr, "no recording (.qm3, .qme, .zx3 or .vke) on the command line\n");
        return run.report(TRenderStatus::cannotOpen);
    }
    const fs::path in(input);
    const fs::path folder = line.outputFolder.empty() ? in.parent_path() : fs::path(line.outputFolder);
    run.base = (folder / in.stem()).string();
    if (!fs::exists(in)) {
        std::fprintf(stderr, "%s: file not found\n", input.c_str());
        return run.report(TRenderStatus::cannotOpen);
    }
    TDocument doc;
    doc.paper->title = input;
    const TFileKind kind = fileKindOf(input);
    const TRenderStatus replayed = replayRecording(doc, input, kind);
    if (replayed != TRenderStatus::written)
        return run.report(replayed);
    if (line.viewer)
        return run.report(TRenderStatus::viewerDone);

    bool written = saveBmp24(flattened(*doc.paper), run.base + ".bmp", doc.paper->dpi);
    if (written) {
        if (kind == TFileKind::legacyEvents) {
            std::vector<uint8_t> bytes;
            written = doc.legacy && doc.legacy->packets().encodeForSave(false, 0, bytes) &&
                      saveFileReplacing(run.base + ".vke", bytes);
        } else {
            written = doc.events().switchToAppend() && doc.events().writeBack(run.base);
        }
    }
    return run.report(written ? TRenderStatus::written : TRenderStatus::writeFailed);
}

namespace {

// ---- export ----

bool loadAny(TDocument& doc, const std::string& path, std::string& why)
{
    const TFileKind kind = fileKindOf(path);
    TPaper& paper = *doc.paper;
    paper.title = path;
    switch (kind) {
    case TFileKind::paper:
        if (const PaperFileError e = loadPaperFile(path, paper, doc.flow); e != PaperFileError::None) {
            why = "not a readable paper file (error " + std::to_string(int(e)) + ")";
            return false;
        }
        return true;
    case TFileKind::legacyPaper: {
        std::vector<uint8_t> bytes;
        if (!readWholeFile(path, bytes) || loadVkbPaper(bytes, paper, doc.flow) != 0) {
            why = "not a readable paper file";
            return false;
        }
        return true;
    }
    case TFileKind::legacyEvents:
    case TFileKind::events21:
    case TFileKind::events3: {
        const TRenderStatus s = replayRecording(doc, path, kind);
        if (s == TRenderStatus::protectedRecording)
            why = "the recording is protected";
        else if (s != TRenderStatus::written)
            why = "not a recording that replays";
        return s == TRenderStatus::written;
    }
    case TFileKind::psd: {
        TPsdDocument psd;
        if (readPsdFile(path, psd) != 0 || psd.width <= 0 || psd.height <= 0 ||
            psd.width > kMaxPaperSide || psd.height > kMaxPaperSide) {
            why = "not a readable PSD picture";
            return false;
        }
        paper.setPaperSize(doc.flow, psd.width, psd.height);
        paper.dpi = psd.resolution;
        if (!layersFromDocument(psd, *paper.layers) || paper.layerCount() == 0) {
            why = "its layers cannot be made";
            return false;
        }
        paper.initialised = 1;
        doc.noRecording();
        paper.refreshAll(doc.flow, 0, false);
        return true;
    }
    case TFileKind::bmp:
    case TFileKind::jpeg:
    case TFileKind::png: {
        TPicture picture;
        if (readPicture(path, picture) != PictureError::None || picture.image.width() > kMaxPaperSide ||
            picture.image.height() > kMaxPaperSide) {
            why = "not a readable picture";
            return false;
        }
        paper.initPaper(path, doc.flow, picture.image.width(), picture.image.height());
        paper.dpi = picture.dpi;
        CBlockVMTC& image = *paper.layer(0)->image();
        image.ImportFrom(picture.image, {0, 0}, 255, picture.image.bounds());
        image.Optimize();
        doc.noRecording();
        paper.refreshAll(doc.flow, 0, false);
        return true;
    }
    case TFileKind::unknown: break;
    }
    why = "not a kind of file this program reads";
    return false;
}

bool writeAs(TDocument& doc, const std::string& ext, const std::string& out)
{
    TPaper& paper = *doc.paper;
    if (ext == "png")
        return savePng(flattened(paper), out, paper.dpi);
    if (ext == "bmp")
        return saveBmp24(flattened(paper), out, paper.dpi);
    if (ext == "jpg")
        return saveJpeg(flattened(paper), out, TJpegOptions{}, paper.dpi);
    if (ext == "psd") {
        const TMTC merged = flattened(paper);
        TPsdDocument psd = documentFromLayers(*paper.layers, paper.width, paper.height, &merged);
        psd.resolution = paper.dpi > 0 ? paper.dpi : 72;
        return writePsd(psd, out, 1, 0);
    }
    if (ext == "qmp")
        return savePaperFile(out, paper, paperFileOption::all) == PaperFileError::None;
    return false;
}

} // namespace

int runExport(const TCommandLine& line)
{
    const std::string& ext = line.exportExtension;
    if (ext != "png" && ext != "bmp" && ext != "jpg" && ext != "psd" && ext != "qmp") {
        std::fprintf(stderr, "cannot export as \"%s\": use png, bmp, jpg, psd or qmp\n",
                     ext.c_str());
        return 2;
    }
    if (line.files.empty()) {
        std::fprintf(stderr, "nothing to export: give the files to convert\n");
        return 2;
    }
    int failures = 0;
    for (const std::string& file : line.files) {
        const fs::path in(file);
        const fs::path folder =
            line.outputFolder.empty() ? in.parent_path() : fs::path(line.outputFolder);
        const std::string out = (folder / in.stem()).string() + "." + ext;
        std::string why;
        TDocument doc;
        std::error_code error;
        if (!fs::exists(in)) {
            why = "file not found";
        } else if (fs::equivalent(in, fs::path(out), error)) {
            why = "the output would replace the input";
        } else if (loadAny(doc, file, why) && !writeAs(doc, ext, out)) {
            why = "cannot write " + out;
        }
        if (why.empty()) {
            std::printf("%s -> %s\n", file.c_str(), out.c_str());
        } else {
            std::fprintf(stderr, "%s: %s\n", file.c_str(), why.c_str());
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}

} // namespace qm
