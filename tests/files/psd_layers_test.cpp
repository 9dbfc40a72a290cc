// Between paper layers and PSD documents.
#include "files/psd_layers.h"
#include "files/psd_reader.h"
#include "files/psd_writer.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(PsdLayers, PaperLayersSurviveAFileRoundTrip)
{
    CollectingMessageSink messages;
    CLayerMngr paper(&messages);
    paper.SetPaperSize(40, 30);
    ASSERT_EQ(0, paper.AddLayer(40, 30, true, 255, 3));
    ASSERT_EQ(1, paper.AddLayer(40, 30, false, 90, 18));
    ASSERT_EQ(2, paper.AddLayer(40, 30, true, 200, 0)); // stays empty
    paper.Get(0)->name = "下書き";
    paper.Get(1)->name = "ink";
    ASSERT_TRUE(paper.Get(0)->image()->SetColor({0, 0, 40, 30}, 0x00336699));
    ASSERT_TRUE(paper.Get(0)->image()->SetAlpha({0, 0, 40, 30}, 255));
    // A small patch well inside the second layer: the exported layer is cut to it.
    for (int32_t y = 10; y < 14; ++y)
        for (int32_t x = 20; x < 27; ++x)
            ASSERT_TRUE(paper.Get(1)->image()->SetPixel(x, y, 0x80000000u | uint32_t(x * 256 + y)));

    const TPsdDocument doc = documentFromLayers(paper, 40, 30, nullptr);
    ASSERT_EQ(3u, doc.layers.size());
    EXPECT_EQ(40, doc.layers[0].pixels.width());
    EXPECT_EQ(20, doc.layers[1].left);
    EXPECT_EQ(10, doc.layers[1].top);
    EXPECT_EQ(7, doc.layers[1].pixels.width());
    EXPECT_EQ(4, doc.layers[1].pixels.height());
    EXPECT_EQ(0, doc.layers[2].pixels.width());

    TPsdDocument read;
    ASSERT_EQ(0, readPsd(writePsdBytes(doc, 6, 0), read));
    CLayerMngr back(&messages);
    ASSERT_TRUE(layersFromDocument(read, back));
    ASSERT_EQ(3, back.Count());
    EXPECT_EQ(2, back.current());
    EXPECT_EQ(40, back.paperWidth());
    for (int32_t i = 0; i < 3; ++i) {
        const CLayerData& a = *paper.Get(i);
        const CLayerData& b = *back.Get(i);
        EXPECT_EQ(a.name, b.name);
        EXPECT_EQ(a.opacity, b.opacity);
        EXPECT_EQ(a.visible, b.visible);
        EXPECT_EQ(a.mode, b.mode);
        for (int32_t y = 0; y < 30; ++y)
            for (int32_t x = 0; x < 40; ++x) {
                const uint32_t pa = a.image()->GetPixel(x, y), pb = b.image()->GetPixel(x, y);
                // Fully transparent pixels may differ in colour only.
                if (pa >> 24 || pb >> 24) {
                    ASSERT_EQ(pa, pb) << i << " " << x << "," << y;
                }
            }
    }
    EXPECT_TRUE(messages.messages.empty());
}

TEST(PsdLayers, PixelsOutsideThePaperAreCutAndAFlatFileGivesOneLayer)
{
    TPsdDocument doc;
    doc.width = 8;
    doc.height = 6;
    TPsdLayer layer;
    layer.left = -2;
    layer.top = 4;
    layer.pixels.Resize(5, 5);
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 5; ++x)
            layer.pixels.row(y)[x] = 0xFF000000u | uint32_t(x << 8 | y);
    layer.mode = 99; // out of range: normal
    doc.layers.push_back(std::move(layer));
    CLayerMngr layers;
    ASSERT_TRUE(layersFromDocument(doc, layers));
    const CBlockVMTC& image = *layers.Get(0)->image();
    EXPECT_EQ(8, image.width());
    EXPECT_EQ(0xFF000200u, image.GetPixel(0, 4)); // source (2, 0)
    EXPECT_EQ(0xFF000401u, image.GetPixel(2, 5)); // source (4, 1)
    EXPECT_EQ(0u, image.GetPixel(3, 5) >> 24);
    EXPECT_EQ(0u, image.GetPixel(0, 3) >> 24);
    EXPECT_EQ(3, layers.Get(0)->mode);

    TPsdDocument flat;
    flat.width = 3;
    flat.height = 2;
    flat.merged.Resize(3, 2);
    flat.merged.row(1)[2] = 0xFF112233u;
    ASSERT_TRUE(layersFromDocument(flat, layers));
    ASSERT_EQ(1, layers.Count());
    EXPECT_EQ(0xFF112233u, layers.Get(0)->image()->GetPixel(2, 1));

    TPsdDocument none;
    EXPECT_FALSE(layersFromDocument(none, layers));
    EXPECT_EQ(0, layers.Count());
}

TEST(PsdLayers, ExportNames)
{
    EXPECT_EQ("sketch_layer3", layerExportName("sketch", 3));
    EXPECT_EQ("layer0", layerExportName("", 0));
}

} // namespace
} // namespace qm
