#include "files/app_profile.h"

#include <algorithm>

namespace qm {

namespace {

const char* const kWindowInts[] = {
    "dockSiteCount", "mainWinX", "mainWinY", "mainWinW", "mainWinH", "toolWinX", "toolWinY",
    "ctrlWinX", "ctrlWinY", "penWinX", "penWinY", "palWinX", "palWinY", "gcolWinX", "gcolWinY",
    "rgbWinX", "rgbWinY", "hsvWinX", "hsvWinY", "layerWinX", "layerWinY", "layerWinW",
    "layerWinH", "selectWinX", "selectWinY", "selectWinW", "selectWinH", "previewWinX",
    "previewWinY", "previewWinW", "previewWinH", "gradWinX", "gradWinY", "gradWinPanelH",
    "gradWinUnitX", "gradWinUnitY", "gradWinRepX", "gradWinRepY", "toneWinX", "toneWinY",
    "toneWinPanelH", "toneWinUnitX", "toneWinUnitY", "toneWinRepX", "toneWinRepY", "fontDlgX",
    "fontDlgY", "fontDlgW", "fontDlgH"};

const char* const kWindowBools[] = {"mainWinMax", "childWinMax", "ctrlWinVis", "palWinVis",
                                    "layerWinVis", "selectWinVis", "previewWinVis", "gcolWinVis",
                                    "rgbWinVis", "hsvWinVis", "gradWinVis", "gradWinPanelVis",
                                    "toneWinVis", "toneWinPanelVis"};

// Reads each value when present (clamping ranged integers), or writes it.
struct Reader {
    const SettingsStore& store;
    std::string section;
    void text(const char* name, std::string& v) { store.readText(section, name, v); }
    void integer(const char* name, int32_t& v) { store.readInt(section, name, v); }
    void integer(const char* name, int32_t& v, int32_t low, int32_t high)
    {
        if (store.readInt(section, name, v))
            v = std::clamp(v, low, high);
    }
    void boolean(const char* name, bool& v) { store.readBool(section, name, v); }
    void real(const char* name, float& v) { store.readFloat(section, name, v); }
};

struct Writer {
    SettingsStore& store;
    std::string section;
    void text(const char* name, std::string& v) { store.writeText(section, name, v); }
    void integer(const char* name, int32_t& v) { store.writeInt(section, name, v); }
    void integer(const char* name, int32_t& v, int32_t, int32_t) { store.writeInt(section, name, v); }
    void boolean(const char* name, bool& v) { store.writeBool(section, name, v); }
    void real(const char* name, float& v) { store.writeFloat(section, name, v); }
};

template <typename V>
void visitFileIO(TFileIOSettings& s, V& v, bool includeAppPath)
{
    if (includeAppPath)
        v.text("appPath", s.appPath);
    v.text("loadPath", s.loadPath);
    v.text("savePath", s.savePath);
    v.text("eventPath", s.eventPath);
    v.text("palPath", s.palPath);
    v.text("palFile", s.palFile);
    v.text("tonePath", s.tonePath);
    v.text("toneFile", s.toneFile);
    v.text("gradPath", s.gradPath);
    v.text("gradFile", s.gradFile);
    v.integer("pictLoadExtIdx", s.pictLoadExtIdx);
    v.integer("eventLoadExtIdx", s.eventLoadExtIdx);
    v.boolean("silentFileIO", s.silentFileIO);
    v.boolean("jpegUseProgressive", s.jpegUseProgressive);
    v.boolean("jpegUseSmooth", s.jpegUseSmooth);
    v.integer("jpegValSmooth", s.jpegValSmooth, 0, 100);
    v.integer("jpegQType", s.jpegQType, 0, 4);
    v.integer("jpegQuality", s.jpegQuality, 0, 100);
    v.integer("jpegQVHigh", s.jpegQVHigh, 0, 100);
    v.integer("jpegQHigh", s.jpegQHigh, 0, 100);
    v.integer("jpegQStd", s.jpegQStd, 0, 100);
    v.integer("jpegQLow", s.jpegQLow, 0, 100);
    v.integer("psdSaveVer", s.psdSaveVer, 3, 7);
    v.integer("psdSaveFlags", s.psdSaveFlags);
    v.boolean("keepPrevious", s.keepPrevious);
}

template <typename V>
void visitConfig(TConfigSettings& s, V& v)
{
    v.integer("lastCP", s.lastCP);
    v.integer("lastLCID", s.lastLCID);
    v.integer("gridW", s.gridW);
    v.integer("gridH", s.gridH);
    v.integer("undoMax", s.undoMax);
    v.integer("fillLimit", s.fillLimit);
    v.integer("fillTarget", s.fillTarget);
    v.integer("wandLimit", s.wandLimit);
    v.integer("wandTarget", s.wandTarget);
    v.boolean("fillAntiAlias", s.fillAntiAlias);
    v.boolean("wandAntiAlias", s.wandAntiAlias);
    v.integer("gradType", s.gradType);
    v.integer("gradMap", s.gradMap);
    v.integer("gradRep", s.gradRep);
    v.integer("gradRepCnt", s.gradRepCnt);
    v.boolean("ignoreTablet", s.ignoreTablet);
    v.boolean("eventWait", s.eventWait);
    v.integer("tabletType", s.tabletType);
    v.boolean("rgbPalBarFixed", s.rgbPalBarFixed);
    v.boolean("useRBtnColPicker", s.useRBtnColPicker);
    v.boolean("zoomToolAsButton", s.zoomToolAsButton);
    v.boolean("useAutoScroll", s.useAutoScroll);
    v.boolean("useFilePreview", s.useFilePreview);
    v.boolean("useZoomAntialias", s.useZoomAntialias);
    v.integer("mouseMBtnFunc", s.mouseMBtnFunc, 0, 10);
    v.integer("language", s.language, 0, 2);
    v.real("opaquePaint", s.opaquePaint);
    v.real("opaqueAreaFill", s.opaqueAreaFill);
    v.real("opaqueSeedFill", s.opaqueSeedFill);
    v.real("opaqueGradate", s.opaqueGradate);
    v.real("opaqueDraw", s.opaqueDraw);
    v.real("opaqueLine", s.opaqueLine);
    v.real("opaqueFont", s.opaqueFont);
}

template <typename V>
void visitColor(TColorSettings& s, V& v)
{
    v.integer("fgCol", s.fgCol);
    v.integer("bgCol", s.bgCol);
}

template <typename V>
void visitPaper(std::array<TPaperPreset, 6>& presets, V& v)
{
    for (size_t n = 0; n < presets.size(); ++n) {
        const std::string i = std::to_string(n);
        v.integer(("unit" + i).c_str(), presets[n].unit);
        v.integer(("dpi" + i).c_str(), presets[n].dpi);
        v.real(("w" + i).c_str(), presets[n].width);
        v.real(("h" + i).c_str(), presets[n].height);
    }
}

template <typename V>
void visitFont(TFontSettings& s, V& v)
{
    v.text("face", s.face);
    v.integer("point", s.point);
    v.integer("charset", s.charset);
    v.integer("spacing", s.spacing);
    v.integer("leading", s.leading);
    v.boolean("italic", s.italic);
    v.boolean("bold", s.bold);
    v.boolean("underline", s.underline);
    v.boolean("strikeout", s.strikeout);
    v.boolean("useFont", s.useFont);
    v.boolean("usePreview", s.usePreview);
    v.text("text", s.text);
}

} // namespace

CAppProfile::CAppProfile()
{
    for (const char* name : kWindowInts)
        windowInts_[name] = -1;
    windowInts_["dockSiteCount"] = 0;
    for (const char* name : kWindowBools)
        windowBools_[name] = true;
    windowBools_["childWinMax"] = false;
}

void CAppProfile::load(const SettingsStore& store, const TStartupFacts& gathered)
{
    facts = gathered;
    for (std::string* folder : {&fileIO.loadPath, &fileIO.savePath, &fileIO.eventPath,
                                &fileIO.palPath, &fileIO.tonePath, &fileIO.gradPath})
        *folder = facts.programFolder;
    fileIO.appPath = facts.programFolder;
    config.lastCP = facts.codePage;
    config.lastLCID = facts.localeId;
    config.useZoomAntialias = facts.processorClock > 1e9;

    Reader fileReader{store, kFileIO};
    visitFileIO(fileIO, fileReader, false); // the program's folder is written, never read
    fileIO.appPath = facts.programFolder;
    Reader configReader{store, kConfig};
    visitConfig(config, configReader);
    Reader colorReader{store, kColor};
    visitColor(color, colorReader);
    Reader paperReader{store, kPaper};
    visitPaper(paper, paperReader);
    for (auto& [name, value] : windowInts_)
        store.readInt(kWindow, name, value);
    for (auto& [name, value] : windowBools_)
        store.readBool(kWindow, name, value);
    // A stored main window size is at least 200 and at most the screen.
    for (const char* name : {"mainWinW", "mainWinH"}) {
        int32_t& v = windowInts_[name];
        if (v != -1) {
            const int32_t screen = name[7] == 'W' ? facts.screenWidth : facts.screenHeight;
            v = std::max(v, 200);
            if (screen > 0)
                v = std::min(v, screen);
        }
    }
    Reader fontReader{store, kFont};
    visitFont(font, fontReader);
}

void CAppProfile::save(SettingsStore& store)
{
    for (auto& [name, value] : windowInts_)
        store.writeInt(kWindow, name, value);
    for (auto& [name, value] : windowBools_)
        store.writeBool(kWindow, name, value);
    Writer fileWriter{store, kFileIO};
    visitFileIO(fileIO, fileWriter, true);
    Writer configWriter{store, kConfig};
    visitConfig(config, configWriter);
    Writer colorWriter{store, kColor};
    visitColor(color, colorWriter);
    Writer paperWriter{store, kPaper};
    visitPaper(paper, paperWriter);
    Writer fontWriter{store, kFont};
    visitFont(font, fontWriter);
}

template <typename Self>
auto CAppProfile::toolOpacitySlot(Self& self, int tool) -> decltype(&self.config.opaquePaint)
{
    switch (tool) {
    case 0: return &self.config.opaquePaint;
    case 11:
    case 13: return &self.config.opaqueAreaFill;
    case 4: return &self.config.opaqueSeedFill;
    case 19: return &self.config.opaqueGradate;
    case 10: return &self.config.opaqueDraw;
    case 12: return &self.config.opaqueLine;
    case 14: return &self.config.opaqueFont;
    default: return nullptr;
    }
}

float CAppProfile::toolOpacity(int tool) const
{
    const float* slot = toolOpacitySlot(*this, tool);
    return slot ? *slot : 1.0f;
}

void CAppProfile::setToolOpacity(int tool, float value)
{
    if (float* slot = toolOpacitySlot(*this, tool))
        *slot = value;
}

int32_t CAppProfile::windowInt(const std::string& name) const
{
    const auto it = windowInts_.find(name);
    return it == windowInts_.end() ? -1 : it->second;
}

void CAppProfile::setWindowInt(const std::string& name, int32_t value)
{
    windowInts_[name] = value;
}

bool CAppProfile::windowBool(const std::string& name) const
{
    const auto it = windowBools_.find(name);
    return it != windowBools_.end() && it->second;
}

void CAppProfile::setWindowBool(const std::string& name, bool value)
{
    windowBools_[name] = value;
}

} // namespace qm
