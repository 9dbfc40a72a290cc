// Pictures leave the program as the settings say and without viewing aids; layered pictures
// come in with their masks, and a damaged one says what failed.
#include "app/document.h"

#include "../paper/paper_fixture.h"
#include "files/picture.h"
#include "files/psd_reader.h"
#include "files/psd_writer.h"
#include "select/mask_mngr.h"

#include "test_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace qm {
namespace {

namespace fs = std::filesystem;

struct TempFolder {
    TempFolder()
        : path(fs::temp_directory_path() / ("quillmere-export-" + std::to_string(::getpid())))
    {
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TempFolder() { fs::remove_all(path); }
    std::string file(const char* name) const { return (path / name).string(); }
    fs::path path;
};

struct Doc {
    Doc() : doc(window, stroke, config) {}
    TConfigSettings config;
    TStroke stroke;
    test::TestWindow window;
    TDocument doc;
};

bool contains(const std::vector<uint8_t>& bytes, std::initializer_list<uint8_t> needle)
{
    return std::search(bytes.begin(), bytes.end(), needle.begin(), needle.end()) != bytes.end();
}

// A paper with a diagonal of coloured pixels on its first layer, named "ﾚｲﾔ1".
void paintPaper(Doc& d)
{
    ASSERT_TRUE(d.doc.newPaper("export", 64, 40));
    TPaper& p = d.doc.paper();
    for (int32_t i = 0; i < 40; ++i)
        p.layer(0)->image()->SetPixel(i, i, 0xFF000000u | uint32_t(i * 0x030507));
    p.layer(0)->name = "ﾚｲﾔ1";
    p.refreshAll(d.doc.flow(), 0, false);
}

} // namespace

TEST(Export, PicturesNeverCarryTheGrid)
{
    Doc d;
    paintPaper(d);
    TPaper& p = d.doc.paper();
    const TMTC withoutGrid = p.picture();
    p.setGrid(true, 5, 5, true);
    ASSERT_EQ(p.displayImage.pixel(10, 7) & 0xFFFFFF, TPaper::kGridColor); // the display shows it
    const TMTC picture = p.picture();
    EXPECT_TRUE(test::sameImage(picture, withoutGrid));
    // Every pixel off the diagonal is the white paper, opaque.
    EXPECT_EQ(picture.pixel(10, 5), 0xFFFFFFFFu);
    EXPECT_EQ(picture.pixel(7, 7), 0xFF000000u | uint32_t(7 * 0x030507));

    TempFolder dir;
    ASSERT_TRUE(exportPaper(p, "png", dir.file("grid.png"), {}));
    TPicture back;
    ASSERT_EQ(readPicture(dir.file("grid.png"), back), PictureError::None);
    EXPECT_EQ(back.image.pixel(10, 5), 0xFFFFFFFFu);
    EXPECT_EQ(back.image.pixel(5, 10), 0xFFFFFFFFu);
}

TEST(Export, JpegAndPsdFollowTheirSettings)
{
    Doc d;
    paintPaper(d);
    TPaper& p = d.doc.paper();
    TempFolder dir;
    // Version 6 and above name the layer in Unicode ('luni', then the UTF-16 name: "ﾚｲﾔ1" is
    // U+FF9A U+FF72 U+FF94 U+0031); version 5 has only the Pascal name.
    TExportSettings v5, v6, raw;
    v5.psdVersion = 5;
    raw.psdFlags = kPsdFlagRaw;
    ASSERT_TRUE(exportPaper(p, "psd", dir.file("v5.psd"), v5));
    ASSERT_TRUE(exportPaper(p, "psd", dir.file("v6.psd"), v6));
    ASSERT_TRUE(exportPaper(p, "psd", dir.file("raw.psd"), raw));
    const std::vector<uint8_t> b5 = test::fileBytes(dir.file("v5.psd")),
                               b6 = test::fileBytes(dir.file("v6.psd"));
    const std::initializer_list<uint8_t> luni = {'l', 'u', 'n', 'i'};
    const std::initializer_list<uint8_t> name = {0xFF, 0x9A, 0xFF, 0x72, 0xFF, 0x94, 0x00, 0x31};
    EXPECT_FALSE(contains(b5, luni));
    EXPECT_TRUE(contains(b6, luni));
    EXPECT_TRUE(contains(b6, name));
    // Uncompressed channels: at least the 4 × 64 × 40 bytes of the layer.
    EXPECT_GT(fs::file_size(dir.file("raw.psd")),
              fs::file_size(dir.file("v6.psd")) + 4 * 64 * 40 / 2);

    // Detail for the quantiser to lose.
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 0; x < 64; ++x)
            p.layer(0)->image()->SetPixel(x, y,
                                          0xFF000000u | uint32_t((x * 37 ^ y * 91) * 0x010307));
    p.refreshAll(d.doc.flow(), 0, false);
    TExportSettings rough, fine;
    rough.jpeg.quality = 5;
    fine.jpeg.quality = 100;
    ASSERT_TRUE(exportPaper(p, "jpg", dir.file("rough.jpg"), rough));
    ASSERT_TRUE(exportPaper(p, "jpg", dir.file("fine.jpg"), fine));
    EXPECT_LT(fs::file_size(dir.file("rough.jpg")) * 2, fs::file_size(dir.file("fine.jpg")));
}

TEST(Export, APsdsExtraChannelsBecomeMasksAndItsErrorsAreNamed)
{
    TempFolder dir;
    TPsdDocument psd;
    psd.width = 32;
    psd.height = 24;
    TPsdLayer layer;
    layer.name = "base";
    layer.pixels = TMTC(32, 24);
    for (int32_t y = 0; y < 24; ++y)
        for (int32_t x = 0; x < 32; ++x)
            layer.pixels.row(y)[x] = 0xFF102030u;
    psd.layers.push_back(std::move(layer));
    TPsdChannel channel;
    channel.name = "sel";
    channel.pixels = TChannel(32, 24);
    for (int32_t y = 0; y < 24; ++y)
        for (int32_t x = 0; x < 32; ++x)
            channel.pixels.row(y)[x] = uint8_t(x < 10 ? 255 : 0);
    psd.extraChannels.push_back(std::move(channel));
    ASSERT_TRUE(writePsd(psd, dir.file("masked.psd"), 6, 0));

    Doc d;
    std::string why;
    ASSERT_TRUE(d.doc.loadFile(dir.file("masked.psd"), TFileKind::psd, why)) << why;
    const TPaper& p = d.doc.paper();
    // After the paper's own (empty) selection slot.
    ASSERT_EQ(p.masks->Count(), 2);
    EXPECT_FALSE(p.masks->Mask(0)->IsValid());
    const CMaskData& mask = *p.masks->Mask(1);
    EXPECT_EQ(mask.name, "sel");
    EXPECT_EQ(mask.ValueAt(3, 20), 255);
    EXPECT_EQ(mask.ValueAt(9, 0), 255);
    EXPECT_EQ(mask.ValueAt(10, 0), 0);

    // A file that is not a PSD: the reader's code in the import message.
    std::ofstream(dir.file("broken.psd"), std::ios::binary) << "8BPX and nothing else, really";
    Doc broken;
    EXPECT_FALSE(broken.doc.loadFile(dir.file("broken.psd"), TFileKind::psd, why));
    char expected[160];
    std::vector<uint8_t> bytes = test::fileBytes(dir.file("broken.psd"));
    TPsdDocument ignored;
    std::snprintf(expected, sizeof expected, "ﾚｲﾔ読み込み中にｴﾗｰが検出されました! (err=%d)",
                  readPsd(bytes, ignored));
    EXPECT_EQ(why, expected);
    EXPECT_NE(why.find("(err=2)"), std::string::npos); // a wrong signature
}

TEST(Export, AnOpenRasterFileOpensAsTheLayersItWasSavedFrom)
{
    TempFolder dir;
    Doc d;
    paintPaper(d);
    TPaper& p = d.doc.paper();
    const int32_t second = p.layers->CreateLayer(1, 64, 40, true, 200, 5, false);
    ASSERT_GE(second, 0);
    p.layer(second)->name = "shade";
    p.layer(second)->image()->SetPixel(5, 7, 0x80FF0000u);
    p.layer(second)->visible = false;
    p.refreshAll(d.doc.flow(), 0, false);
    ASSERT_TRUE(exportPaper(p, "ora", dir.file("layers.ora"), TExportSettings{}));
    EXPECT_EQ(fileKindOf(dir.file("layers.ora")), TFileKind::ora);
    EXPECT_EQ(fileKindOf("SHOUTED.ORA"), TFileKind::ora);

    Doc back;
    std::string why;
    ASSERT_TRUE(back.doc.loadFile(dir.file("layers.ora"), TFileKind::ora, why)) << why;
    TPaper& q = back.doc.paper();
    EXPECT_EQ(q.width, 64);
    EXPECT_EQ(q.height, 40);
    ASSERT_EQ(q.layerCount(), 2);
    EXPECT_EQ(q.layer(0)->name, "ﾚｲﾔ1");
    EXPECT_EQ(q.layer(1)->name, "shade");
    EXPECT_EQ(q.layer(1)->opacity, 200);
    EXPECT_EQ(q.layer(1)->mode, 5);
    EXPECT_FALSE(q.layer(1)->visible);
    EXPECT_EQ(q.layer(1)->image()->GetPixel(5, 7), 0x80FF0000u);
    EXPECT_EQ(q.layer(0)->image()->GetPixel(20, 20), 0xFF000000u | uint32_t(20 * 0x030507));

    // Not an archive at all: the reader's code in the import message.
    std::ofstream(dir.file("broken.ora"), std::ios::binary) << "PK but no archive";
    Doc broken;
    EXPECT_FALSE(broken.doc.loadFile(dir.file("broken.ora"), TFileKind::ora, why));
    EXPECT_NE(why.find("(err="), std::string::npos);
}

} // namespace qm
