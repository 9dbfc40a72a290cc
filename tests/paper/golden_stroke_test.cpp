// One pressure stroke of each brush kind, compared bit for bit with the image stored under
// tests/data/strokes. Any change to the brush arithmetic shows here; regenerate the images
// (QUILLMERE_WRITE_GOLDEN=1) only on purpose and say why in the commit.
#include "paper_fixture.h"

#include "files/png_codec.h"

#include <cmath>
#include <cstdlib>

namespace qm::test {

namespace {

// Colour bands with a transparent corner, so that smudging kinds have something to move.
void paintBackground(CLayerData& layer)
{
    CBlockVMTC& image = *layer.image();
    for (int32_t y = 0; y < image.height(); ++y)
        for (int32_t x = 0; x < image.width(); ++x) {
            const uint32_t alpha = (x < 20 && y < 20) ? 0 : 255;
            const uint32_t r = (x * 7) & 0xFF, g = (y * 11) & 0xFF, b = ((x + y) / 8 % 2) * 200;
            image.SetPixel(x, y, alpha << 24 | r << 16 | g << 8 | b);
        }
}

std::string goldenPath(int kind)
{
    return std::string(QUILLMERE_TEST_DATA) + "/strokes/" + brushKindName(kind) + ".png";
}

} // namespace

TEST(GoldenStroke, EveryKindPaintsItsStoredImage)
{
    const bool write = std::getenv("QUILLMERE_WRITE_GOLDEN") != nullptr;
    for (int kind = 0; kind < kBrushKindCount; ++kind) {
        SCOPED_TRACE(brushKindName(kind));
        PaperFixture f(96, 64);
        paintBackground(*f.paper->layer(0));
        f.paper->refreshAll(f.flow, 0, false);
        TStroke& s = f.stroke;
        s.resetToDefaults(kind);
        s.setKind(kind);
        s.setWidth(9.0f);
        s.setColor(0x3366CC);
        s.setEffect(40.0f);
        f.paper->beginStroke(f.flow, s, true, 8.0f, 40.0f, 0.2f);
        for (int i = 1; i <= 24; ++i) {
            const float t = float(i) / 24.0f;
            f.paper->continueStroke(f.flow, s, true, nullptr, 8.0f + 80.0f * t,
                                    40.0f - 25.0f * std::sin(t * 3.0f), 0.2f + 0.8f * t);
        }
        TRect rect;
        f.paper->endStroke(f.flow, s, true, rect, nullptr);

        TMTC result(96, 64);
        const CBlockVMTC& image = *f.paper->layer(0)->image();
        image.ExportTo(result, {0, 0}, false, 255, image.bounds());
        if (write) {
            ASSERT_TRUE(savePng(result, goldenPath(kind)));
            continue;
        }
        TPicture golden;
        ASSERT_EQ(readPicture(goldenPath(kind), golden), PictureError::None);
        ASSERT_TRUE(sameImage(golden.image, result));
    }
}

} // namespace qm::test
