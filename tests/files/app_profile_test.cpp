#include "files/app_profile.h"

#include <gtest/gtest.h>

using namespace qm;

namespace {
TStartupFacts someFacts(double clock = 2e9)
{
    TStartupFacts facts;
    facts.programFolder = "/opt/quillmere";
    facts.codePage = 932;
    facts.localeId = 1041;
    facts.processorClock = clock;
    facts.screenWidth = 1920;
    facts.screenHeight = 1080;
    return facts;
}
} // namespace

TEST(AppProfile, EmptyStoreGivesEveryDefault)
{
    MemorySettingsStore empty;
    CAppProfile profile;
    profile.load(empty, someFacts());
    EXPECT_EQ(profile.fileIO.loadPath, "/opt/quillmere");
    EXPECT_EQ(profile.fileIO.palFile, "");
    EXPECT_EQ(profile.fileIO.jpegQuality, 90);
    EXPECT_EQ(profile.fileIO.psdSaveVer, 6);
    EXPECT_EQ(profile.config.undoMax, 8);
    EXPECT_EQ(profile.config.lastCP, 932);
    EXPECT_EQ(profile.config.gradRepCnt, 1);
    EXPECT_TRUE(profile.config.useFilePreview);
    EXPECT_TRUE(profile.config.useZoomAntialias); // a 2 GHz processor
    EXPECT_EQ(profile.color.bgCol, 0xFFFFFF);
    EXPECT_EQ(profile.paper[5].dpi, 72);
    EXPECT_FLOAT_EQ(profile.paper[3].width, 640.0f);
    EXPECT_EQ(profile.font.charset, -1);
    EXPECT_TRUE(profile.font.usePreview);
    EXPECT_EQ(profile.windowInt("mainWinX"), -1);
    EXPECT_EQ(profile.windowInt("dockSiteCount"), 0);
    EXPECT_TRUE(profile.windowBool("previewWinVis"));
    EXPECT_TRUE(profile.windowBool("mainWinMax"));
    EXPECT_FALSE(profile.windowBool("childWinMax"));

    CAppProfile slow;
    slow.load(empty, someFacts(9e8));
    EXPECT_FALSE(slow.config.useZoomAntialias);
}

TEST(AppProfile, RangesAreClamped)
{
    MemorySettingsStore store;
    store.writeInt("fileIO", "psdSaveVer", 9);
    store.writeInt("fileIO", "jpegQuality", 500);
    store.writeInt("config", "mouseMBtnFunc", -3);
    store.writeInt("window", "mainWinW", 50);
    store.writeInt("window", "mainWinH", 5000);
    CAppProfile profile;
    profile.load(store, someFacts());
    EXPECT_EQ(profile.fileIO.psdSaveVer, 7);
    EXPECT_EQ(profile.fileIO.jpegQuality, 100);
    EXPECT_EQ(profile.config.mouseMBtnFunc, 0);
    EXPECT_EQ(profile.windowInt("mainWinW"), 200);
    EXPECT_EQ(profile.windowInt("mainWinH"), 1080);
    store.writeInt("fileIO", "psdSaveVer", 1);
    profile.load(store, someFacts());
    EXPECT_EQ(profile.fileIO.psdSaveVer, 3);
}

TEST(AppProfile, SaveThenLoadKeepsEveryValue)
{
    CAppProfile first;
    MemorySettingsStore empty;
    first.load(empty, someFacts());
    first.fileIO.savePath = "/home/artist";
    first.fileIO.jpegUseSmooth = true;
    first.config.undoMax = 20;
    first.setToolOpacity(13, 0.5f);
    first.paper[2].height = 297.0f;
    first.font.face = "DejaVu Sans";
    first.setWindowInt("layerWinW", 300);
    first.setWindowBool("palWinVis", false);
    MemorySettingsStore store;
    first.save(store);
    EXPECT_TRUE(store.contains("fileIO", "appPath"));

    CAppProfile second;
    second.load(store, someFacts());
    EXPECT_EQ(second.fileIO.savePath, "/home/artist");
    EXPECT_TRUE(second.fileIO.jpegUseSmooth);
    EXPECT_EQ(second.config.undoMax, 20);
    EXPECT_FLOAT_EQ(second.toolOpacity(11), 0.5f); // area fill: tools 11 and 13
    EXPECT_FLOAT_EQ(second.toolOpacity(7), 1.0f);  // a tool without an opacity
    EXPECT_FLOAT_EQ(second.paper[2].height, 297.0f);
    EXPECT_EQ(second.font.face, "DejaVu Sans");
    EXPECT_EQ(second.windowInt("layerWinW"), 300);
    EXPECT_FALSE(second.windowBool("palWinVis"));
}

TEST(AppProfile, ValuesOfTheWrongTypeKeepTheirDefaults)
{
    MemorySettingsStore store;
    store.writeText("config", "undoMax", "twenty");
    store.writeInt("config", "useFilePreview", 0);
    CAppProfile profile;
    profile.load(store, someFacts());
    EXPECT_EQ(profile.config.undoMax, 8);
    EXPECT_TRUE(profile.config.useFilePreview);
}

TEST(StartupFacts, LocalesAndLanguageClasses)
{
    int32_t lcid = 0, cp = 0;
    localeFromName("ja_JP.UTF-8", lcid, cp);
    EXPECT_EQ(lcid, 1041);
    EXPECT_EQ(languageClassOf(lcid, cp), 0);
    localeFromName("ko_KR", lcid, cp);
    EXPECT_EQ(languageClassOf(lcid, cp), 1);
    localeFromName("C.UTF-8", lcid, cp);
    EXPECT_EQ(languageClassOf(lcid, cp), 2);
    const TStartupFacts facts = gatherStartupFacts(false);
    EXPECT_FALSE(facts.programFolder.empty());
    EXPECT_FALSE(facts.tempFolder.empty());
    EXPECT_GE(facts.monitorCount, 1);
}
