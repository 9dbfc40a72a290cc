// Render, viewer and export modes: the engine's own paper, replay and file code, with no
// window system at all.
#include "app/headless.h"

#include "app/document.h"

#include "core/dib_header.h"
#include "core/safe_file.h"
#include "files/app_profile.h"

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

// A document with the window, stroke and settings it borrows.
struct THeadlessDocument {
    THeadlessDocument() : doc(window, stroke, config) {}
    TConfigSettings config;
    TStroke stroke;
    HeadlessWindow window;
    TDocument doc;
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

// Opens a recording and replays it to its end. A protected one only plays for watching: render
// and export refuse it.
TRenderStatus replayRecording(TDocument& doc, const std::string& path, TFileKind kind,
                              bool refuseProtected)
{
    TProgress progress(fs::path(path).filename().string());
    const TReplayOpen opened = doc.openRecording(path, kind, refuseProtected);
    if (opened == TReplayOpen::protectedRefused)
        return TRenderStatus::protectedRecording;
    if (opened != TReplayOpen::success)
        return TRenderStatus::cannotOpen;
    TReplayStep step;
    while ((step = doc.replayStep()) == TReplayStep::more)
        progress.show(doc.replayProgress());
    return step == TReplayStep::end ? TRenderStatus::written : TRenderStatus::cannotOpen;
}

// ---- render and viewer ----

struct TRenderRun {
    const TCommandLine& line;
    std::string base; // output folder and the input's name without extension
    bool markerWritten = false;

    int report(TRenderStatus status) { return reportRenderStatus(line, base, status, markerWritten); }
};

} // namespace

int reportRenderStatus(const TCommandLine& line, const std::string& base, TRenderStatus status,
                       bool& markerWritten)
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
    THeadlessDocument owner;
    TDocument& doc = owner.doc;
    doc.paper().title = input;
    const TFileKind kind = fileKindOf(input);
    const TRenderStatus replayed = replayRecording(doc, input, kind, !line.viewer);
    if (replayed != TRenderStatus::written)
        return run.report(replayed);
    if (line.viewer)
        return run.report(TRenderStatus::viewerDone);

    bool written = saveBmp24(doc.paper().picture(), run.base + ".bmp", doc.paper().dpi);
    if (written) {
        if (kind == TFileKind::legacyEvents) {
            std::vector<uint8_t> bytes;
            written = doc.legacy() && doc.legacy()->packets().encodeForSave(false, 0, bytes) &&
                      saveFileReplacing(run.base + ".vke", bytes);
        } else {
            written = doc.finishReplay() && doc.events().writeBack(run.base);
        }
    }
    return run.report(written ? TRenderStatus::written : TRenderStatus::writeFailed);
}

namespace {

// ---- export ----

bool loadAny(TDocument& doc, const std::string& path, std::string& why)
{
    const TFileKind kind = fileKindOf(path);
    doc.paper().title = path;
    if (!isRecording(kind))
        return doc.loadFile(path, kind, why);
    const TRenderStatus s = replayRecording(doc, path, kind, true);
    if (s == TRenderStatus::protectedRecording)
        why = "the recording is protected";
    else if (s != TRenderStatus::written)
        why = "not a recording that replays";
    return s == TRenderStatus::written;
}

} // namespace

int runExport(const TCommandLine& line, const TExportSettings& settings)
{
    const std::string& ext = line.exportExtension;
    if (ext != "png" && ext != "bmp" && ext != "jpg" && ext != "psd" && ext != "ora" &&
        ext != "qmp") {
        std::fprintf(stderr, "cannot export as \"%s\": use png, bmp, jpg, psd, ora or qmp\n",
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
        THeadlessDocument owner;
        TDocument& doc = owner.doc;
        std::error_code error;
        if (!fs::exists(in)) {
            why = "file not found";
        } else if (fs::equivalent(in, fs::path(out), error)) {
            why = "the output would replace the input";
        } else if (loadAny(doc, file, why) && !exportPaper(doc.paper(), ext, out, settings)) {
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
