// A paper as a window owns it: the paper with its event recorder and its flow image, the
// readers that fill it from every kind of file the program opens, and the replay of a
// recording one step at a time. The drawing window and the headless modes share it.
#pragma once

#include "events/event_file.h"
#include "events/event_mngr.h"
#include "events/legacy_replay.h"
#include "files/command_line.h"
#include "files/jpeg_codec.h"
#include "paper/paper.h"

#include <memory>
#include <string>
#include <vector>

namespace qm {

class CGradMngr;

struct TConfigSettings;
class CAppProfile;

class TDocument {
public:
    // Borrows all three; they must outlive the document.
    TDocument(TDrawWindow& window, TStroke& liveStroke, const TConfigSettings& config,
              const CPatMngrBase* tones = nullptr, const CGradMngr* gradations = nullptr);

    TPaper& paper() { return *paper_; }
    const TPaper& paper() const { return *paper_; }
    TFlowImage& flow() { return flow_; }
    CEventMngr& events() { return static_cast<CEventMngr&>(*paper_->eventMngr); }

    // A new blank paper that records from its first event.
    bool newPaper(const std::string& title, int32_t width, int32_t height);
    // Reads a paper or a picture (every kind but the recordings). False with the reason.
    bool loadFile(const std::string& path, TFileKind kind, std::string& why);

    // Opens a recording for replay: success, or the code whose message the caller shows.
    // A protected recording plays with the paper locked; render mode refuses it instead.
    TReplayOpen openRecording(const std::string& path, TFileKind kind, bool refuseProtected);
    bool replaying() const { return replaying_; }
    bool legacyRecording() const { return legacy_ != nullptr; }
    // One step of the replay (a packet, or one stroke point in wait mode).
    TReplayStep replayStep();
    // Ends the replay however far it got: an open stroke is drawn to its end and recording
    // goes on from there. False when it cannot (a protected or old recording: the paper stays
    // as replayed and records nothing).
    bool finishReplay();
    int32_t replayProgress() const;
    // What stopped a replay that needed an operation this program lacks (empty otherwise).
    std::string missingOperation() const;
    const TLegacyReplay* legacy() const { return legacy_.get(); }

    // Replays a recording to its end at once (a journal's, when a paper is restored) and goes
    // on recording after it; false when it does not replay from its start.
    bool restoreRecording(TEventFileData data);

    // Papers that did not come from a recording or a new paper record nothing new.
    void noRecording();
    void replayEnded();

private:
    std::unique_ptr<TPaper> paper_;
    TPaperServices services_;
    TFlowImage flow_;
    std::unique_ptr<TLegacyReplay> legacy_; // set while a version 1.1 recording plays
    bool replaying_ = false;
};

// A PSD import error, with "ﾚｲﾔ" or "ﾏｽｸ" and the reader's code.
inline constexpr const char* kPsdImportFailed = "%s読み込み中にｴﾗｰが検出されました! (err=%d)";

// How pictures are written: the JPEG options and the PSD version and flags of the settings.
struct TExportSettings {
    TJpegOptions jpeg;
    int psdVersion = 6;
    int psdFlags = 0;
};
TExportSettings exportSettingsOf(const CAppProfile& profile);

// Writes the paper as a picture by extension: "png", "bmp", "jpg", "psd" (layered) or "qmp".
bool exportPaper(TPaper& paper, const std::string& extension, const std::string& path,
                 const TExportSettings& settings);

// The name of one layer's own picture (without extension): "<paper>_layer<n>", or "layer<n>"
// for a paper without a name.
std::string layerPictureName(const std::string& paperName, int32_t number);

// Writes each layer as a picture of its own ("png", "bmp" or "jpg") into the folder, numbered
// from 1 at the bottom of the stack: the layer alone, cut to the paper, hidden or not. PNG keeps
// its transparency; BMP and JPEG, which have none, show it over the paper colour. The paths
// written, in order; `failed` names the first file that could not be written (the ones after
// it are not tried).
struct TLayerExport {
    std::vector<std::string> written;
    std::string failed;
};
TLayerExport exportLayers(TPaper& paper, const std::string& extension, const std::string& folder,
                          const std::string& paperName, const TExportSettings& settings);

// The automatic picture save's next file: "<folder>/<y>-<m>-<d>-<n>.bmp" with the smallest n
// from 0 upwards that does not exist yet.
std::string nextAutoSavePath(const std::string& folder, int32_t year, int32_t month, int32_t day);

} // namespace qm
