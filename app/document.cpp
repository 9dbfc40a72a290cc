#include "app/document.h"

#include "core/dib_header.h"
#include "core/pixel_math.h"
#include "files/app_profile.h"
#include "select/mask_mngr.h"
#include "files/jpeg_codec.h"
#include "paperfile/paper_file.h"
#include "files/picture.h"
#include "files/png_codec.h"
#include "files/ora_layers.h"
#include "files/ora_reader.h"
#include "files/ora_writer.h"
#include "files/psd_layers.h"
#include "files/psd_reader.h"
#include "files/psd_writer.h"

#include <cstdio>
#include <filesystem>

namespace qm {

namespace {

std::string psdImportMessage(const char* word, int error)
{
    char text[160];
    std::snprintf(text, sizeof text, kPsdImportFailed, word, error);
    return text;
}

// The file's extra (alpha) channels become the paper's masks, in their order and places.
bool masksFromChannels(const TPsdDocument& psd, TPaper& paper)
{
    for (const TPsdChannel& channel : psd.extraChannels) {
        const int32_t at = paper.masks->InsertEmpty(paper.masks->Count());
        CMaskData* mask = paper.masks->Mask(at);
        if (!mask)
            return false;
        mask->name = channel.name;
        if (channel.pixels.width() <= 0 || channel.pixels.height() <= 0)
            continue;
        if (!mask->createMask(channel.pixels.width(), channel.pixels.height(),
                              paper.window.messages()) ||
            !mask->coverage->CopyFrom(channel.pixels, {0, 0}, channel.pixels.bounds()))
            return false;
        mask->coverage->Optimize();
        // A mask's own position is the paper position plus its offset.
        mask->offsetX = -channel.left;
        mask->offsetY = -channel.top;
        mask->updateThumbnail(paper.width, paper.height);
    }
    return true;
}

} // namespace

TDocument::TDocument(TDrawWindow& window, TStroke& liveStroke, const TConfigSettings& config,
                     const CPatMngrBase* tones, const CGradMngr* gradations)
{
    services_.liveStroke = &liveStroke;
    services_.tones = tones;
    services_.gradations = gradations;
    services_.config = &config;
    services_.makeEvents = eventRecorder(&liveStroke, tones, config.undoMax);
    paper_ = std::make_unique<TPaper>(window, services_);
    flow_.paper = paper_.get();
}

void TDocument::noRecording()
{
    if (paper_->eventMngr)
        events().stopRecording();
    paper_->eventOutputOff = 1;
}

bool TDocument::newPaper(const std::string& title, int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0 || width > kMaxPaperSide || height > kMaxPaperSide)
        return false;
    return paper_->initPaper(title, flow_, width, height);
}

bool TDocument::loadFile(const std::string& path, TFileKind kind, std::string& why)
{
    TPaper& paper = *paper_;
    paper.title = path;
    switch (kind) {
    case TFileKind::paper:
        if (const PaperFileError e = loadPaperFile(path, paper, flow_); e != PaperFileError::None) {
            why = "not a readable paper file (error " + std::to_string(int(e)) + ")";
            return false;
        }
        paper.rebuildSelectionOutline();
        return true;
    case TFileKind::legacyPaper: {
        std::vector<uint8_t> bytes;
        if (!readWholeFile(path, bytes) || loadVkbPaper(bytes, paper, flow_) != 0) {
            why = "not a readable paper file";
            return false;
        }
        paper.rebuildSelectionOutline();
        return true;
    }
    case TFileKind::psd: {
        TPsdDocument psd;
        const int error = readPsdFile(path, psd);
        if (error != 0) {
            why = psdImportMessage(kLayerWord, error);
            return false;
        }
        if (psd.width <= 0 || psd.height <= 0 || psd.width > kMaxPaperSide ||
            psd.height > kMaxPaperSide) {
            why = psdImportMessage(kLayerWord, int(PsdError::BadSize));
            return false;
        }
        paper.setPaperSize(flow_, psd.width, psd.height);
        paper.dpi = psd.resolution;
        if (!layersFromDocument(psd, *paper.layers) || paper.layerCount() == 0) {
            why = psdImportMessage(kLayerWord, int(PsdError::OutOfMemory));
            return false;
        }
        if (!masksFromChannels(psd, paper)) {
            why = psdImportMessage(kMaskWord, int(PsdError::OutOfMemory));
            return false;
        }
        paper.initialised = 1;
        noRecording();
        paper.refreshAll(flow_, 0, false);
        return true;
    }
    case TFileKind::ora: {
        TOraDocument ora;
        const int error = readOraFile(path, ora);
        if (error != 0) {
            why = psdImportMessage(kLayerWord, error);
            return false;
        }
        if (ora.width > kMaxPaperSide || ora.height > kMaxPaperSide) {
            why = psdImportMessage(kLayerWord, int(OraError::BadSize));
            return false;
        }
        paper.setPaperSize(flow_, ora.width, ora.height);
        paper.dpi = ora.dpi;
        if (!layersFromOra(ora, *paper.layers) || paper.layerCount() == 0) {
            why = psdImportMessage(kLayerWord, int(OraError::OutOfMemory));
            return false;
        }
        paper.initialised = 1;
        noRecording();
        paper.refreshAll(flow_, 0, false);
        return true;
    }
    case TFileKind::bmp:
    case TFileKind::jpeg:
    case TFileKind::png: {
        TPicture picture;
        if (readPicture(path, picture) != PictureError::None ||
            picture.image.width() > kMaxPaperSide || picture.image.height() > kMaxPaperSide) {
            why = "not a readable picture";
            return false;
        }
        paper.initPaper(path, flow_, picture.image.width(), picture.image.height());
        paper.dpi = picture.dpi;
        CBlockVMTC& image = *paper.layer(0)->image();
        image.ImportFrom(picture.image, {0, 0}, 255, picture.image.bounds());
        image.Optimize();
        noRecording();
        paper.refreshAll(flow_, 0, false);
        return true;
    }
    case TFileKind::legacyEvents:
    case TFileKind::events21:
    case TFileKind::events3: why = "a recording: open it for replay"; return false;
    case TFileKind::unknown: break;
    }
    why = "not a kind of file this program reads";
    return false;
}

TReplayOpen TDocument::openRecording(const std::string& path, TFileKind kind,
                                     bool refuseProtected)
{
    replaying_ = false;
    if (kind == TFileKind::legacyEvents) {
        legacy_ = std::make_unique<TLegacyReplay>(*paper_, flow_);
        if (!legacy_->open(path))
            return TReplayOpen::failure;
        if (legacy_->isProtected()) {
            if (refuseProtected)
                return TReplayOpen::protectedRefused;
            paper_->locked = 1;
        }
        replaying_ = true;
        return TReplayOpen::success;
    }
    if (!paper_->eventMngr)
        return TReplayOpen::failure;
    const TReplayOpen opened = events().openEventFile(path, flow_, refuseProtected);
    replaying_ = opened == TReplayOpen::success;
    return opened;
}

TReplayStep TDocument::replayStep()
{
    if (!replaying_)
        return TReplayStep::end;
    const TReplayStep step = legacy_ ? legacy_->step() : events().replayStep(flow_);
    if (step == TReplayStep::end || step == TReplayStep::error)
        replayEnded();
    return step;
}

void TDocument::replayEnded()
{
    replaying_ = false;
    // Thumbnails wait while a recording plays; the layer window needs them now.
    for (int32_t i = 0; i < paper_->layerCount(); ++i)
        paper_->layer(i)->UpdateThumbnail();
}

bool TDocument::finishReplay()
{
    if (replaying_)
        replayEnded();
    if (legacy_ || !paper_->eventMngr)
        return false;
    events().finishOpenStroke(flow_);
    return events().switchToAppend();
}

bool TDocument::restoreRecording(TEventFileData data)
{
    replaying_ = false;
    if (legacy_ || !paper_->eventMngr ||
        events().openForReplay(std::move(data), flow_) != TReplayOpen::success)
        return false;
    replaying_ = true;
    // A damaged last event ends the replay early: what came before it stays.
    events().replayAll(flow_);
    return finishReplay();
}

int32_t TDocument::replayProgress() const
{
    if (legacy_)
        return legacy_->progress();
    return paper_->eventMngr ? static_cast<const CEventMngr&>(*paper_->eventMngr).replayProgress()
                             : 100;
}

std::string TDocument::missingOperation() const
{
    if (legacy_)
        return legacy_->missingOperation;
    return paper_->eventMngr
               ? static_cast<const CEventMngr&>(*paper_->eventMngr).missingOperation
               : std::string();
}

TExportSettings exportSettingsOf(const CAppProfile& profile)
{
    return {profile.jpegOptions(), profile.fileIO.psdSaveVer, profile.fileIO.psdSaveFlags};
}

bool exportPaper(TPaper& paper, const std::string& ext, const std::string& out,
                 const TExportSettings& settings)
{
    if (ext == "png")
        return savePng(paper.picture(), out, paper.dpi);
    if (ext == "bmp")
        return saveBmp24(paper.picture(), out, paper.dpi);
    if (ext == "jpg")
        return saveJpeg(paper.picture(), out, settings.jpeg, paper.dpi);
    if (ext == "psd") {
        const TMTC merged = paper.picture();
        TPsdDocument psd = documentFromLayers(*paper.layers, paper.width, paper.height, &merged);
        psd.resolution = paper.dpi > 0 ? paper.dpi : 72;
        return writePsd(psd, out, settings.psdVersion, settings.psdFlags);
    }
    if (ext == "ora") {
        const TMTC merged = paper.picture();
        const TOraDocument ora = oraFromLayers(*paper.layers, paper.width, paper.height,
                                               paper.dpi > 0 ? paper.dpi : 72, &merged);
        return writeOra(ora, out);
    }
    if (ext == "qmp")
        return savePaperFile(out, paper, paperFileOption::all) == PaperFileError::None;
    return false;
}

std::string layerPictureName(const std::string& paperName, int32_t number)
{
    const std::string layer = "layer" + std::to_string(number);
    return paperName.empty() ? layer : paperName + "_" + layer;
}

namespace {

// One layer's pixels over the paper's rectangle; what the layer does not cover is transparent.
TMTC layerOnPaper(const CLayerData& layer, int32_t width, int32_t height)
{
    TMTC out(width, height);
    for (int32_t y = 0; y < height; ++y)
        std::fill_n(out.row(y), width, 0u);
    layer.image()->ExportTo(out, {0, 0}, false, 255, {layer.offsetX, layer.offsetY, width, height});
    return out;
}

void flattenOver(TMTC& image, uint32_t colour)
{
    for (int32_t y = 0; y < image.height(); ++y) {
        uint32_t* row = image.row(y);
        for (int32_t x = 0; x < image.width(); ++x) {
            const uint32_t p = row[x], a = p >> 24;
            uint32_t out = 0xFF000000u;
            for (int shift = 0; shift < 24; shift += 8)
                out |= Lerp255((p >> shift) & 0xFF, (colour >> shift) & 0xFF, a) << shift;
            row[x] = out;
        }
    }
}

} // namespace

TLayerExport exportLayers(TPaper& paper, const std::string& ext, const std::string& folder,
                          const std::string& paperName, const TExportSettings& settings)
{
    TLayerExport result;
    for (int32_t i = 0; i < paper.layers->Count(); ++i) {
        const CLayerData* layer = paper.layers->Get(i);
        if (!layer || !layer->image())
            continue;
        const std::string path =
            (std::filesystem::path(folder) / (layerPictureName(paperName, i + 1) + "." + ext)).string();
        TMTC picture = layerOnPaper(*layer, paper.width, paper.height);
        bool saved = false;
        if (ext == "png") {
            saved = savePng(picture, path, paper.dpi);
        } else if (ext == "bmp" || ext == "jpg") {
            flattenOver(picture, paper.paperColor);
            saved = ext == "bmp" ? saveBmp24(picture, path, paper.dpi)
                                 : saveJpeg(picture, path, settings.jpeg, paper.dpi);
        }
        if (!saved) {
            result.failed = path;
            break;
        }
        result.written.push_back(path);
    }
    return result;
}

std::string nextAutoSavePath(const std::string& folder, int32_t year, int32_t month, int32_t day)
{
    const std::string prefix = (std::filesystem::path(folder) /
                                (std::to_string(year) + "-" + std::to_string(month) + "-" +
                                 std::to_string(day) + "-"))
                                   .string();
    for (int32_t n = 0;; ++n) {
        std::string path = prefix + std::to_string(n) + ".bmp";
        std::error_code error;
        if (!std::filesystem::exists(path, error))
            return path;
    }
}

} // namespace qm
