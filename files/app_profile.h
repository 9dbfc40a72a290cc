// Every persistent setting of the program with its default and range, read once at start-up
// from a SettingsStore and written back once at exit, and the facts gathered at start-up.
#pragma once

#include "files/jpeg_codec.h"
#include "files/settings_store.h"
#include "files/startup_facts.h"

#include <array>
#include <map>
#include <string>

namespace qm {

struct TFileIOSettings {
    std::string appPath, loadPath, savePath, eventPath, palPath, palFile, tonePath, toneFile,
        gradPath, gradFile;
    int32_t pictLoadExtIdx = 1;
    int32_t eventLoadExtIdx = 1;
    bool silentFileIO = false;
    bool jpegUseProgressive = false;
    bool jpegUseSmooth = false;
    int32_t jpegValSmooth = 0; // 0..100
    int32_t jpegQType = 1;     // 0..4
    int32_t jpegQuality = 90;  // 0..100
    int32_t jpegQVHigh = 100;
    int32_t jpegQHigh = 90;
    int32_t jpegQStd = 75;
    int32_t jpegQLow = 50;
    int32_t psdSaveVer = 6;    // 3..7
    int32_t psdSaveFlags = 0;
    bool keepPrevious = true; // a saved paper's previous version stays as "<name>.qmp~"
};

struct TConfigSettings {
    int32_t lastCP = 0;
    int32_t lastLCID = 0;
    int32_t gridW = 25, gridH = 25;
    int32_t undoMax = 8;
    int32_t fillLimit = 20, fillTarget = 0;
    int32_t wandLimit = 20, wandTarget = 0;
    bool fillAntiAlias = false, wandAntiAlias = false;
    int32_t gradType = 0, gradMap = 0, gradRep = 0, gradRepCnt = 1;
    bool ignoreTablet = false;
    bool eventWait = false;
    int32_t tabletType = 0;
    bool rgbPalBarFixed = false, useRBtnColPicker = false, zoomToolAsButton = false;
    bool useAutoScroll = false, useFilePreview = true, useZoomAntialias = true;
    int32_t mouseMBtnFunc = 0; // 0..10
    int32_t language = 0;      // 0 the desktop's, 1 English, 2 Japanese; read at start
    float opaquePaint = 1.0f, opaqueAreaFill = 1.0f, opaqueSeedFill = 1.0f, opaqueGradate = 1.0f,
          opaqueDraw = 1.0f, opaqueLine = 1.0f, opaqueFont = 1.0f;
};

struct TColorSettings {
    int32_t fgCol = 0;
    int32_t bgCol = 0xFFFFFF;
};

struct TPaperPreset {
    int32_t unit = 0;
    int32_t dpi = 72;
    float width = 640.0f;
    float height = 480.0f;
};

struct TFontSettings {
    std::string face;
    int32_t point = 0, charset = -1, spacing = 0, leading = 0;
    bool italic = false, bold = false, underline = false, strikeout = false;
    bool useFont = true, usePreview = true;
    std::string text; // the text tool's last text, lines separated by CR LF
};

class CAppProfile {
public:
    static constexpr const char* kFileIO = "fileIO";
    static constexpr const char* kConfig = "config";
    static constexpr const char* kColor = "color";
    static constexpr const char* kPaper = "paper";
    static constexpr const char* kWindow = "window";
    static constexpr const char* kFont = "font";
    static constexpr const char* kDocking = "window/docking";

    CAppProfile();

    // Takes the facts and the defaults that depend on them (folders, code page, locale, the
    // smooth zoom on a fast processor), then reads the sections in the order fileIO, config,
    // color, paper, window, font. Missing values keep their defaults; ranges are clamped.
    void load(const SettingsStore& store, const TStartupFacts& facts);
    // Writes window, fileIO, config, color, paper, font.
    void save(SettingsStore& store);

    // What the JPEG writer starts from.
    TJpegOptions jpegOptions() const
    {
        return {fileIO.jpegQuality, fileIO.jpegUseProgressive, fileIO.jpegUseSmooth,
                fileIO.jpegValSmooth};
    }

    // The opacity of a tool of the tools window (1.0 for tools without one).
    float toolOpacity(int tool) const;
    void setToolOpacity(int tool, float value);

    // Window values by name: integers (−1 when not stored) and the "…Vis" booleans.
    int32_t windowInt(const std::string& name) const;
    void setWindowInt(const std::string& name, int32_t value);
    bool windowBool(const std::string& name) const;
    void setWindowBool(const std::string& name, bool value);

    TStartupFacts facts;
    TFileIOSettings fileIO;
    TConfigSettings config;
    TColorSettings color;
    std::array<TPaperPreset, 6> paper;
    TFontSettings font;

private:
    // The field of a tool's opacity (const or not, as the profile is); nullptr without one.
    template <typename Self>
    static auto toolOpacitySlot(Self& self, int tool) -> decltype(&self.config.opaquePaint);

    std::map<std::string, int32_t> windowInts_;
    std::map<std::string, bool> windowBools_;
};

} // namespace qm
