#include "paperfile/paper_file.h"

#include "../paper/paper_fixture.h"

#include "events/event_mngr.h"
#include "files/app_profile.h"
#include "paperfile/vkb_reader.h"
#include "paper/paper.h"

#include "file_size_limit.h"

#include "test_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace qm {

namespace {

struct Doc : test::RecordedPaper {
    std::vector<uint8_t> encode(uint32_t options = paperFileOption::all)
    {
        ByteWriter out;
        EXPECT_EQ(encodePaperFile(*paper, options, out), PaperFileError::None);
        return out.data();
    }
};

// A paper with a bit of everything the file stores.
void makeRichPaper(Doc& d)
{
    d.paper->initPaper("rich", d.flow, 100, 70);
    d.paper->dpi = 350;
    d.paper->setPaperColor(0x203040, true);
    d.stroke.resetToDefaults(5);
    d.stroke.setKind(5);
    d.stroke.setWidth(9);
    d.paper->beginStroke(d.flow, d.stroke, true, 10, 10, 0.5f);
    for (int i = 0; i < 30; ++i)
        d.paper->continueStroke(d.flow, d.stroke, true, nullptr, 10.0f + 3 * i, 10.0f + i, 0.9f);
    TRect rect;
    d.paper->endStroke(d.flow, d.stroke, true, rect, nullptr);
    const char* names[] = {"a", "ab", "abc", "abcd"};
    for (int i = 0; i < 4; ++i) {
        const int32_t at = d.paper->createLayer(d.flow, i + 1, 100, 70, true, uint8_t(100 + 30 * i),
                                                uint8_t(3 + i), true);
        CLayerData& layer = *d.paper->layer(at);
        layer.name = names[i];
        layer.image()->SetPixel(5 * i, 7, 0xC0102030u + uint32_t(i));
    }
    CLayerData& odd = *d.paper->layer(2);
    odd.visible = 0;
    odd.protectAlpha = 1;
    odd.blendNoise = 1;
    odd.blendAmount = 77;
    odd.random.Initialise(1234567, 0, 255);
    d.paper->layers->setNameCounter(9);
    const int32_t m = d.paper->masks->InsertEmpty(0);
    CMaskData& mask = *d.paper->masks->Mask(m);
    mask.name = "sel";
    ASSERT_TRUE(mask.createMask(80, 65, d.window.sink));
    mask.offsetX = 3;
    mask.offsetY = 4;
    mask.coverage->SetPixel(10, 10, 200);
    d.paper->masks->InsertEmpty(1);
    d.paper->masks->SetCurrent(1);
    d.paper->selectionActive = 1;
    d.paper->refreshAll(d.flow, 3, false); // pixels were set behind the display's back
}

} // namespace

TEST(PaperFile, EverythingSurvivesAndAResaveIsByteIdentical)
{
    Doc original;
    makeRichPaper(original);
    const std::vector<uint8_t> first = original.encode();

    Doc loaded;
    int32_t unknown = -1;
    ASSERT_EQ(loadPaperBytes(first, *loaded.paper, loaded.flow, &unknown), PaperFileError::None);
    EXPECT_EQ(unknown, 0);
    TPaper& a = *original.paper;
    TPaper& b = *loaded.paper;
    EXPECT_EQ(b.width, 100);
    EXPECT_EQ(b.dpi, 350);
    EXPECT_EQ(b.paperColor, 0x203040u);
    EXPECT_EQ(b.selectionActive, 1);
    EXPECT_EQ(b.currentLayerIndex(), 3);
    EXPECT_EQ(b.masks->CurrentIndex(), a.masks->CurrentIndex());
    ASSERT_EQ(b.layerCount(), a.layerCount());
    for (int32_t i = 0; i < a.layerCount(); ++i) {
        SCOPED_TRACE(i);
        const CLayerData& la = *a.layer(i);
        const CLayerData& lb = *b.layer(i);
        test::expectSameLayer(la, lb);
    }
    ASSERT_EQ(b.masks->Count(), a.masks->Count());
    for (int32_t i = 0; i < a.masks->Count(); ++i) {
        EXPECT_EQ(b.masks->Mask(i)->name, a.masks->Mask(i)->name);
        EXPECT_EQ(b.masks->Mask(i)->IsValid(), a.masks->Mask(i)->IsValid());
    }
    EXPECT_EQ(b.masks->Mask(0)->name, "sel");
    EXPECT_EQ(b.masks->Mask(0)->offsetX, 3);
    EXPECT_EQ(b.masks->Mask(0)->coverage->GetPixel(10, 10), 200);
    // The recording came along and goes on.
    EXPECT_EQ(loaded.events().eventCount(), original.events().eventCount());
    EXPECT_TRUE(loaded.events().isRecording());

    const std::vector<uint8_t> again = loaded.encode();
    size_t diff = 0;
    while (diff < std::min(again.size(), first.size()) && again[diff] == first[diff])
        ++diff;
    EXPECT_EQ(again.size(), first.size());
    EXPECT_EQ(diff, first.size()) << "first difference at " << diff;
}

TEST(PaperFile, TileRunsAndNameFields)
{
    Doc d;
    d.paper->initPaper("runs", d.flow, 32 * 17, 32);
    // Seventeen tiles with pixels in a row: runs of 16 and 1.
    for (int32_t i = 0; i < 17; ++i)
        d.paper->layer(0)->image()->SetPixel(32 * i + 1, 1, 0xFF000000u + uint32_t(i));
    d.paper->layer(0)->name = "abc";
    const std::vector<uint8_t> bytes = d.encode(paperFileOption::layers);
    ByteReader in(bytes);
    TPaperHeader header;
    ASSERT_EQ(readPaperHeader(in, header), PaperFileError::None);
    ASSERT_EQ(in.u32(), 0x52594C51u); // "QLYR"
    EXPECT_EQ(in.u32(), 72u + 4u);    // a 3-character name takes 4 bytes
    in.skip(72 + 4);
    std::vector<uint32_t> counts;
    while (in.remaining() >= 40) {
        in.u32();
        const uint32_t length = in.u32();
        in.skip(8);
        const uint32_t type = in.u32(), count = in.u32();
        EXPECT_EQ(type, 1u);
        counts.push_back(count);
        in.skip(length - 16);
    }
    EXPECT_EQ(counts, (std::vector<uint32_t>{16, 1}));

    // An all-empty layer is one uniform run over the whole grid.
    Doc empty;
    empty.paper->initPaper("e", empty.flow, 200, 100);
    empty.paper->layer(0)->name = "abcd"; // four characters take eight bytes
    const std::vector<uint8_t> e = empty.encode(paperFileOption::layers);
    ByteReader r(e);
    ASSERT_EQ(readPaperHeader(r, header), PaperFileError::None);
    r.u32();
    EXPECT_EQ(r.u32(), 72u + 8u);
    r.skip(80);
    EXPECT_EQ(r.u32(), 0x4D494251u); // "QBIM"
    r.skip(12);
    EXPECT_EQ(r.u32(), 2u);
    EXPECT_EQ(r.u32(), 7u * 4u);
}

TEST(PaperFile, HeaderLimitsAndUnknownBlocks)
{
    for (int32_t side : {10000, 10001}) {
        ByteWriter w;
        w.u32(0x4D495051u), w.u32(48), w.u32(uint32_t(side)), w.u32(16), w.u32(1);
        w.zeros(36);
        ByteReader in(w.data());
        TPaperHeader header;
        EXPECT_EQ(readPaperHeader(in, header),
                  side > 10000 ? PaperFileError::TooLarge : PaperFileError::None);
    }
    Doc d;
    d.paper->initPaper("u", d.flow, 40, 30);
    d.paper->createLayer(d.flow, 1, 40, 30, true, 255, 3, false);
    std::vector<uint8_t> bytes = d.encode(paperFileOption::layers);
    // Put an unknown block between the two layers.
    size_t second = 0;
    for (size_t i = 56 + 4; i + 4 <= bytes.size(); ++i)
        if (std::memcmp(&bytes[i], "QLYR", 4) == 0) {
            second = i;
            break;
        }
    ASSERT_GT(second, 0u);
    const uint8_t block[] = {'Z', 'Z', 'Z', 'Z', 4, 0, 0, 0, 1, 2, 3, 4};
    bytes.insert(bytes.begin() + ptrdiff_t(second), std::begin(block), std::end(block));
    Doc loaded;
    int32_t unknown = 0;
    ASSERT_EQ(loadPaperBytes(bytes, *loaded.paper, loaded.flow, &unknown), PaperFileError::None);
    EXPECT_EQ(loaded.paper->layerCount(), 2);
    EXPECT_EQ(unknown, 1);
}

TEST(PaperFile, BrokenFilesGiveTheirCodesAndAFailedSaveKeepsTheOldFile)
{
    Doc d;
    makeRichPaper(d);
    const std::vector<uint8_t> good = d.encode();
    // Cut anywhere before the recording, the file is refused; a cut recording is dropped and
    // the picture kept.
    size_t events = 0;
    for (size_t i = 0; i + 4 <= good.size() && events == 0; ++i)
        if (std::memcmp(&good[i], "QEVP", 4) == 0)
            events = i;
    ASSERT_GT(events, 0u);
    for (size_t cut = 0; cut < good.size(); cut += 97) {
        Doc loaded;
        const PaperFileError error = loadPaperBytes({good.data(), cut}, *loaded.paper, loaded.flow);
        if (cut <= events)
            EXPECT_NE(error, PaperFileError::None) << cut;
        else
            EXPECT_TRUE(error == PaperFileError::None && loaded.paper->eventOutputOff) << cut;
    }
    std::vector<uint8_t> wrong = good;
    wrong[0] = 'X';
    Doc w;
    EXPECT_EQ(loadPaperBytes(wrong, *w.paper, w.flow), PaperFileError::WrongMagic);

    // A save over the file that is cut short by the file size limit, and one whose every layer
    // fails: the old file keeps its bytes, and no temporary file is left beside it.
    const auto dir = std::filesystem::temp_directory_path() / "quillmere_paper_file_test";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string keep = (dir / "keep.qmp").string();
    {
        Doc small;
        small.paper->initPaper("small", small.flow, 8, 8);
        ASSERT_EQ(savePaperFile(keep, *small.paper, paperFileOption::all), PaperFileError::None);
    }
    const std::vector<uint8_t> before = test::fileBytes(keep);
    ASSERT_GT(good.size(), before.size() + 1000);
    {
        test::FileSizeLimit limit(before.size() + 1000);
        ASSERT_TRUE(limit.active());
        EXPECT_EQ(savePaperFile(keep, *d.paper, paperFileOption::all), PaperFileError::WriteFailed);
    }
    EXPECT_EQ(test::fileBytes(keep), before);
    std::vector<std::unique_ptr<CBlockVMTC>> images;
    for (int32_t i = 0; i < d.paper->layerCount(); ++i)
        images.push_back(d.paper->layer(i)->SwapImage(nullptr));
    EXPECT_EQ(savePaperFile(keep, *d.paper, paperFileOption::all), PaperFileError::WriteFailed);
    for (int32_t i = 0; i < d.paper->layerCount(); ++i)
        d.paper->layer(i)->SwapImage(std::move(images[size_t(i)]));
    EXPECT_EQ(test::fileBytes(keep), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1);
    std::filesystem::remove_all(dir);
}

TEST(PaperFile, ALayerThatCannotBeStoredIsLeftOutAndTheFileStillLoads)
{
    Doc d;
    makeRichPaper(d);
    d.paper->setCurrentLayer(d.flow, 3);
    const std::string below = d.paper->layer(1)->name, current = d.paper->layer(3)->name;
    auto image = d.paper->layer(2)->SwapImage(nullptr);
    const std::vector<uint8_t> bytes = d.encode();
    d.paper->layer(2)->SwapImage(std::move(image));
    ASSERT_EQ(d.window.sink.messages.size(), 1u);
    EXPECT_NE(d.window.sink.messages.front().find("ﾚｲﾔ"), std::string::npos);
    // The header's layer count (offset 40) counts the four layers that were written.
    EXPECT_EQ(bytes[40] | bytes[41] << 8, 4);

    Doc loaded;
    ASSERT_EQ(loadPaperBytes(bytes, *loaded.paper, loaded.flow), PaperFileError::None);
    ASSERT_EQ(loaded.paper->layerCount(), 4);
    EXPECT_EQ(loaded.paper->layer(1)->name, below);
    EXPECT_EQ(loaded.paper->layer(2)->name, current);
    EXPECT_EQ(loaded.paper->currentLayerIndex(), 2);
    test::expectSameLayer(*d.paper->layer(3), *loaded.paper->layer(2));
}

} // namespace qm

namespace qm {

TEST(PaperFile, OldPaperFileBecomesALockedOrUnlockedPaperWithItsLayers)
{
    // Two 2 × 2 layers: a repeated white run (mode 0: opaque) and a literal run (mode 3).
    ByteWriter w;
    w.text("VKB2"), w.u32(0), w.u32(2), w.u32(2), w.u32(0x102030), w.u8(1), w.u8(1), w.u8(0),
        w.u8(0), w.u32(0), w.u32(0);
    const uint8_t repeat[] = {4, 0xFF, 0xFF, 0xFF};
    w.bytes("\0\xff\x01\0\0\0\0\0", 8), w.u32(4), w.bytes(repeat, 4);
    w.bytes("\x03\x80\x01\0\0\0\0\0", 8), w.u32(13), w.u8(251);
    for (int i = 0; i < 4; ++i)
        w.u8(uint8_t(0x10 * i)), w.u8(0x20), w.u8(0x30);
    Doc d;
    ASSERT_EQ(loadVkbPaper(w.data(), *d.paper, d.flow), 0);
    ASSERT_EQ(d.paper->layerCount(), 2);
    EXPECT_EQ(d.paper->paperColor, 0x102030u);
    EXPECT_EQ(d.paper->layer(0)->image()->GetPixel(1, 1), 0xFFFFFFFFu);
    EXPECT_EQ(d.paper->layer(1)->image()->GetPixel(1, 0), 0x00102030u);
    EXPECT_EQ(d.paper->layer(1)->opacity, 0x80);
    EXPECT_EQ(d.paper->currentLayerIndex(), 1);
    EXPECT_TRUE(d.paper->eventOutputOff); // no stream: nothing to continue
    ASSERT_FALSE(d.window.sink.messages.empty());
    EXPECT_EQ(d.window.sink.messages.back(), kVkbBrokenEventsText);
}

// A layer of a thousand pixel blocks is unpacked by two threads: its pixels come back exact,
// and a damaged frame in the second thread's half refuses the file.
TEST(PaperFile, ALargeLayerUnpackedInTwoHalvesKeepsItsPixelsAndItsErrors)
{
    Doc d;
    d.paper->initPaper("large", d.flow, 1024, 1024);
    TMTC noise(1024, 1024);
    uint32_t seed = 9;
    for (int32_t y = 0; y < 1024; ++y)
        for (int32_t x = 0; x < 1024; ++x)
            noise.row(y)[x] = seed = seed * 1664525u + 1013904223u;
    d.paper->layer(0)->image()->ImportFrom(noise, {0, 0}, 255, noise.bounds());
    const std::vector<uint8_t> bytes = d.encode(paperFileOption::layers);

    Doc loaded;
    ASSERT_EQ(loadPaperBytes(bytes, *loaded.paper, loaded.flow), PaperFileError::None);
    EXPECT_TRUE(test::sameImage(test::flatLayer(*loaded.paper->layer(0)), noise));

    // The last zstd frame (magic 28 B5 2F FD, stored little-endian) is the layer's last run.
    size_t last = 0;
    for (size_t i = 0; i + 4 <= bytes.size(); ++i)
        if (bytes[i] == 0x28 && bytes[i + 1] == 0xB5 && bytes[i + 2] == 0x2F && bytes[i + 3] == 0xFD)
            last = i;
    ASSERT_GT(last, bytes.size() / 2);
    std::vector<uint8_t> damaged = bytes;
    damaged[last] ^= 0xFF;
    Doc refused;
    EXPECT_EQ(loadPaperBytes(damaged, *refused.paper, refused.flow), PaperFileError::RunLength);
}

} // namespace qm
