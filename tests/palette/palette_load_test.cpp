// Loading a palette in the window, saving it, and keeping its own file at start and exit: the
// messages each case gives, and that no file the user did not choose is ever overwritten.
#include "palette/palette_kind.h"
#include "palette/palette_load.h"

#include "test_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace qm;

namespace {

namespace fs = std::filesystem;
using test::fileBytes;

TPalEntry rgb(uint8_t r, uint8_t g, uint8_t b)
{
    return {b, g, r, 0};
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}
void writeFile(const std::string& path, std::string_view text)
{
    writeFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

// An own-format file laid out by hand: header, then `held` entries (B = index).
std::vector<uint8_t> qpl(uint32_t announced, uint32_t held,
                         std::array<uint8_t, 4> sizes = {10, 10, 18, 6})
{
    std::vector<uint8_t> b = {'Q', 'P', 'A', 'L'};
    const auto le32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b.push_back(uint8_t(v >> (8 * i)));
    };
    le32(announced * 4 + 12);
    b.insert(b.end(), sizes.begin(), sizes.end());
    le32(announced);
    le32(0);
    for (uint32_t i = 0; i < held; ++i)
        b.insert(b.end(), {uint8_t(i), 0, 0, 0});
    return b;
}

// Swatches: version 1, three records: RGB red, CMYK full cyan, grayscale white.
std::vector<uint8_t> acoWithCmyk()
{
    return {0, 1, 0,    3,                                        //
            0, 0, 0xFF, 0xFF, 0,    0,    0,    0,    0,    0,    // RGB (255, 0, 0)
            0, 2, 0,    0,    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, // CMYK → (0, 255, 255)
            0, 8, 0x27, 0x10, 0,    0,    0,    0,    0,    0};   // gray 10000 → white
}

class PaletteLoad : public ::testing::Test {
  protected:
    void SetUp() override
    {
        dir = test::tempPath(std::string("palette_") +
                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string at(const std::string& name) const { return dir + "/" + name; }

    std::string dir;
    CPalette palette;
};

std::vector<std::string> texts(const std::vector<TPalMessage>& messages)
{
    std::vector<std::string> out;
    for (const TPalMessage& m : messages)
        out.push_back(m.text());
    return out;
}

TEST_F(PaletteLoad, MissingColoursAreToldAndTheRestLoaded)
{
    writeFile(at("p.qpl"), qpl(300, 200));
    const TPalLoad load = loadPaletteInWindow(palette, at("p.qpl"), nullptr);
    EXPECT_TRUE(load.replaced);
    EXPECT_EQ(palette.count(), 200);
    EXPECT_EQ(palette.entry(199).blue, 199);
    EXPECT_EQ(texts(load.messages),
              std::vector<std::string>{"100個のﾊﾟﾚｯﾄが読み込めませんでした！"});
    EXPECT_EQ(load.ownFile, at("p.qpl"));
    EXPECT_FALSE(load.wroteOwnFile);
    EXPECT_EQ(palette.path(), at("p.qpl"));
    EXPECT_FALSE(palette.modified());
}

TEST_F(PaletteLoad, SizesFromTheFileAreClamped)
{
    writeFile(at("p.qpl"), qpl(1, 1, {4, 100, 0, 70}));
    ASSERT_TRUE(loadPaletteInWindow(palette, at("p.qpl"), nullptr).replaced);
    EXPECT_EQ(palette.grid(), (TPalGrid{1, 64, 8, 64}));

    writeFile(at("t.pcs"), "R:1, G:2, B:3\r");
    ASSERT_TRUE(loadPaletteInWindow(palette, at("t.pcs"), nullptr).replaced);
    EXPECT_EQ(palette.grid(), (TPalGrid{1, 1, 8, 8}));
}

TEST_F(PaletteLoad, FailuresAreToldAndChangeNothing)
{
    const CPalette before;
    const auto expectUnchanged = [&] {
        EXPECT_EQ(palette.count(), before.count());
        EXPECT_TRUE(std::equal(palette.entries().begin(), palette.entries().end(),
                               before.entries().begin()));
    };
    writeFile(at("p.png"), qpl(1, 1));
    EXPECT_EQ(texts(loadPaletteInWindow(palette, at("p.png"), nullptr).messages),
              std::vector<std::string>{"読み込むことのできないﾊﾟﾚｯﾄ形式です！"});
    expectUnchanged();

    EXPECT_EQ(texts(loadPaletteInWindow(palette, at("none.qpl"), nullptr).messages),
              std::vector<std::string>{"ﾊﾟﾚｯﾄﾌｧｲﾙのﾛｰﾄﾞに失敗しました！"});
    writeFile(at("short.qpl"), "QPAL");
    EXPECT_EQ(loadPaletteInWindow(palette, at("short.qpl"), nullptr).result, -1);

    writeFile(at("empty.qpl"), qpl(0, 0));
    EXPECT_EQ(texts(loadPaletteInWindow(palette, at("empty.qpl"), nullptr).messages),
              std::vector<std::string>{"扱えないﾊﾟﾚｯﾄﾃﾞｰﾀ形式でした！"});

    writeFile(at("v2.aco"), std::vector<uint8_t>{0, 2, 0, 1, 0, 0, 1, 1, 2, 2, 3, 3, 0, 0});
    const TPalLoad v2 = loadPaletteInWindow(palette, at("v2.aco"), nullptr);
    EXPECT_EQ(texts(v2.messages),
              (std::vector<std::string>{"Invalid ACO version!", "扱えないﾊﾟﾚｯﾄﾃﾞｰﾀ形式でした！"}));
    EXPECT_FALSE(fs::exists(at("v2.qpl")));
    expectUnchanged();
}

TEST_F(PaletteLoad, CmykSwatchesGoOnlyWhenTheUserSaysYes)
{
    writeFile(at("s.aco"), acoWithCmyk());
    std::vector<TPalMessage> asked;
    const auto answer = [&](bool yes) {
        return [&asked, yes](const TPalMessage& q) {
            asked.push_back(q);
            return yes;
        };
    };

    const TPalLoad kept = loadPaletteInWindow(palette, at("s.aco"), answer(false));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text(),
              "CMYKﾊﾟﾚｯﾄは正常に色を変換できません！\rCMYKﾊﾟﾚｯﾄは破棄してよいですか？ (3色中1色)");
    ASSERT_TRUE(kept.replaced);
    EXPECT_EQ(palette.count(), 3);

    const TPalLoad dropped = loadPaletteInWindow(palette, at("s.aco"), answer(true));
    ASSERT_TRUE(dropped.replaced);
    EXPECT_EQ(dropped.discarded, 1);
    ASSERT_EQ(palette.count(), 2);
    EXPECT_EQ(palette.entry(0), (TPalEntry{0, 0, 255, 0}));
    EXPECT_EQ(palette.entry(1), (TPalEntry{255, 255, 255, 2}));

    // Files without CMYK swatches ask nothing.
    writeFile(at("rgb.aco"), std::vector<uint8_t>{0, 1, 0, 1, 0, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0, 0});
    asked.clear();
    ASSERT_TRUE(loadPaletteInWindow(palette, at("rgb.aco"), answer(true)).replaced);
    EXPECT_TRUE(asked.empty());
}

TEST_F(PaletteLoad, ASwatchFileKeepsTheGridAndGetsAnOwnFileBesideIt)
{
    const TPalEntry one[] = {rgb(1, 1, 1)};
    ASSERT_TRUE(palette.replace(one, {9, 4, 20, 30}));
    writeFile(at("s.aco"), acoWithCmyk());
    const TPalLoad load = loadPaletteInWindow(palette, at("s.aco"), nullptr);
    ASSERT_TRUE(load.replaced);
    EXPECT_EQ(palette.grid(), (TPalGrid{9, 4, 20, 30}));
    EXPECT_EQ(load.ownFile, at("s.qpl"));
    EXPECT_TRUE(load.wroteOwnFile);
    EXPECT_EQ(palette.path(), at("s.qpl"));
    // The copy: 3 entries as the layout lays them out, the grid's bytes and the colours.
    const std::vector<uint8_t> copy = fileBytes(at("s.qpl"));
    ASSERT_EQ(copy.size(), 20u + 3 * 4);
    EXPECT_EQ((std::vector<uint8_t>(copy.begin(), copy.begin() + 12)),
              (std::vector<uint8_t>{'Q', 'P', 'A', 'L', 24, 0, 0, 0, 20, 30, 9, 4}));
    EXPECT_EQ((std::vector<uint8_t>(copy.begin() + 20, copy.end())),
              (std::vector<uint8_t>{0, 0, 255, 0, 255, 255, 0, 3, 255, 255, 255, 2}));
}

TEST_F(PaletteLoad, AnExistingOwnFileOfTheSameNameIsNeverOverwritten)
{
    const std::vector<uint8_t> mine = qpl(2, 2);
    writeFile(at("s.qpl"), mine);
    writeFile(at("s (2).qpl"), "not a palette at all");
    writeFile(at("s.txt"), "R:9, G:8, B:7\r\n");

    const TPalLoad load = loadPaletteInWindow(palette, at("s.txt"), nullptr);
    ASSERT_TRUE(load.replaced);
    EXPECT_EQ(load.ownFile, at("s (3).qpl"));
    EXPECT_EQ(fileBytes(at("s.qpl")), mine);
    EXPECT_EQ(fileBytes(at("s (2).qpl")),
              (std::vector<uint8_t>{'n', 'o', 't', ' ', 'a', ' ', 'p', 'a', 'l', 'e',
                                    't', 't', 'e', ' ', 'a', 't', ' ', 'a', 'l', 'l'}));
    CPalette copy;
    ASSERT_TRUE(loadPaletteInWindow(copy, at("s (3).qpl"), nullptr).replaced);
    ASSERT_EQ(copy.count(), 1);
    EXPECT_EQ(copy.entry(0), rgb(9, 8, 7));

    // Loading the same file again finds its copy already holding the palette and writes none.
    const TPalLoad again = loadPaletteInWindow(palette, at("s.txt"), nullptr);
    EXPECT_EQ(again.ownFile, at("s (3).qpl"));
    EXPECT_FALSE(again.wroteOwnFile);
    EXPECT_FALSE(fs::exists(at("s (4).qpl")));
}

TEST_F(PaletteLoad, WhenNoOwnFileCanBeWrittenThePaletteStaysModified)
{
    // Every name an own copy could take is someone else's file.
    writeFile(at("s.qpl"), "x");
    for (int n = 2; n <= 999; ++n)
        writeFile(at("s (" + std::to_string(n) + ").qpl"), "x");
    writeFile(at("s.pcs"), "R:9\r");
    const TPalLoad load = loadPaletteInWindow(palette, at("s.pcs"), nullptr);
    ASSERT_TRUE(load.replaced);
    EXPECT_TRUE(load.ownFile.empty());
    EXPECT_EQ(texts(load.messages), std::vector<std::string>{"ﾊﾟﾚｯﾄのｾｰﾌﾞに失敗しました！"});
    EXPECT_TRUE(palette.modified());
    EXPECT_EQ(palette.path(), at("s.pcs"));
    EXPECT_FALSE(fs::exists(at("s (1000).qpl")));
}

TEST_F(PaletteLoad, SavingPicksTheWriterByExtension)
{
    const TPalEntry two[] = {rgb(255, 128, 0), rgb(1, 2, 3)};
    ASSERT_TRUE(palette.replace(two, {}));
    palette.setModified(true);

    EXPECT_EQ(texts(savePaletteFromWindow(palette, at("p.bmp")).messages),
              std::vector<std::string>{"不正な拡張子です！"});
    EXPECT_TRUE(palette.modified());
    EXPECT_EQ(texts(savePaletteFromWindow(palette, at("no/such/folder/p.qpl")).messages),
              std::vector<std::string>{"ﾊﾟﾚｯﾄのｾｰﾌﾞに失敗しました！"});
    EXPECT_TRUE(palette.modified());

    // No extension with the swatch filter: an .aco file (version 1, two RGB records).
    const std::string name = withPalExtension(at("swatches"), kPalFilterSwatches);
    EXPECT_EQ(name, at("swatches.aco"));
    ASSERT_TRUE(savePaletteFromWindow(palette, name).saved);
    EXPECT_FALSE(palette.modified());
    EXPECT_EQ(fileBytes(name),
              (std::vector<uint8_t>{0, 1, 0, 2, 0, 0, 0xFF, 0xFF, 0x80, 0x80, 0, 0,
                                    0, 0, 0, 0, 1, 1, 2,    2,    3,    3,    0, 0}));
    EXPECT_NE(palette.path(), name); // the palette's own file is still an own-format one

    ASSERT_TRUE(savePaletteFromWindow(palette, at("mine.QPL")).saved);
    EXPECT_EQ(palette.path(), at("mine.QPL"));
}

TEST_F(PaletteLoad, StartWritesTheDefaultPaletteWhenThereIsNone)
{
    const TPalStartup start = startPalette(palette, at("gone.qpl"), dir, nullptr);
    EXPECT_EQ(start.palFile, at("default.qpl"));
    EXPECT_TRUE(start.wroteDefault);
    EXPECT_TRUE(start.messages.empty());
    const std::vector<uint8_t> written = fileBytes(at("default.qpl"));
    ASSERT_EQ(written.size(), 20u + 256 * 4);
    // 256 × 4 + 12 = 1036 = 0x40C; 10 × 10 cells, 18 columns, 6 rows.
    EXPECT_EQ((std::vector<uint8_t>(written.begin(), written.begin() + 20)),
              (std::vector<uint8_t>{'Q', 'P', 'A', 'L', 0x0C, 4, 0, 0, 10, 10,
                                    18,  6,   0,   1,   0,    0, 0, 0, 0,  0}));
    // Entry 1 is the first red step, 255 ÷ 7 = 36; the last is white.
    EXPECT_EQ((std::vector<uint8_t>(written.begin() + 24, written.begin() + 28)),
              (std::vector<uint8_t>{0, 0, 36, 0}));
    EXPECT_EQ((std::vector<uint8_t>(written.end() - 4, written.end())),
              (std::vector<uint8_t>{255, 255, 255, 0}));
}

TEST_F(PaletteLoad, StartLoadsAnExistingDefaultFileInsteadOfOverwritingIt)
{
    const std::vector<uint8_t> mine = qpl(2, 2, {12, 12, 2, 1});
    writeFile(at("default.qpl"), mine);
    const TPalStartup start = startPalette(palette, "", dir, nullptr);
    EXPECT_EQ(start.palFile, at("default.qpl"));
    EXPECT_FALSE(start.wroteDefault);
    EXPECT_EQ(palette.count(), 2);
    EXPECT_EQ(fileBytes(at("default.qpl")), mine);

    // One that cannot be read is left alone: the default palette goes beside it.
    writeFile(at("default.qpl"), "garbage");
    CPalette other;
    const TPalStartup fallback = startPalette(other, "", dir, nullptr);
    EXPECT_EQ(fallback.palFile, at("default (2).qpl"));
    EXPECT_EQ(other.count(), 256);
    EXPECT_EQ(texts(fallback.messages),
              std::vector<std::string>{"ﾊﾟﾚｯﾄﾌｧｲﾙのﾛｰﾄﾞに失敗しました！"});
    EXPECT_EQ(fileBytes(at("default.qpl")),
              (std::vector<uint8_t>{'g', 'a', 'r', 'b', 'a', 'g', 'e'}));
}

TEST_F(PaletteLoad, StartLoadsTheNamedFileAndExitWritesChangesBack)
{
    writeFile(at("named.qpl"), qpl(3, 3));
    const TPalStartup start = startPalette(palette, at("named.qpl"), dir, nullptr);
    EXPECT_EQ(start.palFile, at("named.qpl"));
    EXPECT_EQ(palette.count(), 3);
    EXPECT_FALSE(fs::exists(at("default.qpl")));

    // Unchanged: the file already holds the palette and keeps its bytes.
    const std::vector<uint8_t> before = fileBytes(at("named.qpl"));
    EXPECT_TRUE(savePaletteAtExit(palette, start.palFile).saved);
    EXPECT_EQ(fileBytes(at("named.qpl")), before);

    ASSERT_TRUE(palette.insert(0, rgb(1, 2, 3)));
    EXPECT_TRUE(savePaletteAtExit(palette, start.palFile).saved);
    EXPECT_FALSE(palette.modified());
    CPalette reread;
    ASSERT_TRUE(loadPaletteInWindow(reread, at("named.qpl"), nullptr).replaced);
    ASSERT_EQ(reread.count(), 4);
    EXPECT_EQ(reread.entry(0), rgb(1, 2, 3));

    // A name of another kind is never written at exit.
    writeFile(at("x.aco"), acoWithCmyk());
    EXPECT_FALSE(savePaletteAtExit(palette, at("x.aco")).saved);
    EXPECT_EQ(fileBytes(at("x.aco")), acoWithCmyk());
}

// ---- the dialogs' rules ----

TEST(PaletteKind, ExtensionsAreComparedWithoutCase)
{
    EXPECT_EQ(palKindOf("a/b.QpL"), PalKind::Own);
    EXPECT_EQ(palKindOf("b.PCS"), PalKind::TextCR);
    EXPECT_EQ(palKindOf("b.txt"), PalKind::TextCRLF);
    EXPECT_EQ(palKindOf("b.Aco"), PalKind::Swatches);
    EXPECT_EQ(palKindOf("b.qpl.bak"), PalKind::Unknown);
    EXPECT_EQ(palKindOf("dir.qpl/b"), PalKind::Unknown);
    EXPECT_EQ(palKindOf(".qpl"), PalKind::Unknown);
}

TEST(PaletteKind, NamesWithoutExtensionTakeTheFilters)
{
    EXPECT_EQ(withPalExtension("a/p", 1), "a/p.qpl");
    EXPECT_EQ(withPalExtension("a/p", 2), "a/p.aco");
    EXPECT_EQ(withPalExtension("a/p", 3), "a/p.txt");
    EXPECT_EQ(withPalExtension("a/p", 7), "a/p.qpl");
    EXPECT_EQ(withPalExtension("a.d/p", 2), "a.d/p.aco");
    EXPECT_EQ(withPalExtension("a/p.pcs", 2), "a/p.pcs");
}

TEST(PaletteKind, SaveDialogStartsFromTheCurrentFilesKind)
{
    EXPECT_EQ(palSaveStart("a/p.qpl", 2).filter, 1);
    EXPECT_EQ(palSaveStart("a/p.PCS", 1).filter, 3);
    EXPECT_EQ(palSaveStart("a/p.txt", 1).filter, 3);
    EXPECT_EQ(palSaveStart("a/p.aco", 3).filter, 2);
    const TPalSaveStart other = palSaveStart("a/p.png", 2);
    EXPECT_EQ(other.filter, 2);
    EXPECT_EQ(other.name, "a/p");
}

TEST(PaletteKind, FiltersInTheFileDialogsForm)
{
    EXPECT_EQ(palFilterForDialog(kPalOpenFilter),
              "Quillmere Palette (*.qpl *.QPL);;Adobe Palette (*.aco *.ACO);;"
              "Painter color set (*.pcs *.txt *.PCS *.TXT)");
    EXPECT_EQ(palFilterForDialog(kPalSaveFilter), palFilterForDialog(kPalOpenFilter));
}

} // namespace
