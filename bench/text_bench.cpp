// The text tool's preview: 200 characters at a 48-pixel em (36 points) rasterised into a
// paper's coverage channel, as on every keystroke (goal: under 10 ms). Warm runs use the kept
// glyph source, as the preview does after the first keystroke; the cold run opens the face and
// renders every glyph again, which is the cost of the first preview after a font change.
#include "text/freetype_glyph.h"
#include "text/glyph_source_cache.h"
#include "text/text_raster.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

using namespace qm;

namespace {

// Ten lines of twenty characters: kanji, kana, punctuation and Latin, as a caption would mix.
std::string twoHundredCharacters()
{
    const std::string line = "今日は良い天気ですね。Quillmere";
    std::string text;
    for (int i = 0; i < 10; ++i) {
        if (i > 0) text += "\r\n";
        text += line;
    }
    return text;
}

void rasterise(benchmark::State& state, const char* face, int32_t width, int32_t height, bool cold)
{
    const TFontRecord font{face, 36, 128, false, false};
    TChannel channel(width, height);
    TTextRequest request;
    request.font = font;
    request.text = twoHundredCharacters();
    request.target = &channel;
    request.originX = font.vertical() ? width - 100 : 40;
    request.originY = font.vertical() ? 40 : 100;
    int32_t drawn = 0;
    for (auto _ : state) {
        std::unique_ptr<CFreeTypeGlyph> fresh;
        if (cold) {
            fresh = CFreeTypeGlyph::open(font);
            request.glyphs = fresh.get();
        }
        drawn = rasteriseText(request);
        benchmark::DoNotOptimize(channel.row(0));
    }
    if (drawn < 180) state.SkipWithError("the text did not render");
    state.counters["glyphs"] = drawn;
}

void BM_TextPreviewHorizontal(benchmark::State& state)
{
    rasterise(state, "IPAGothic", 1920, 1080, false);
}
void BM_TextPreviewVertical(benchmark::State& state)
{
    rasterise(state, "@IPAGothic", 1920, 1080, false);
}
// An A4 page at 300 dpi: the clearing of the whole channel grows with the paper.
void BM_TextPreviewHorizontalA4(benchmark::State& state)
{
    rasterise(state, "IPAGothic", 2480, 3508, false);
}
void BM_TextFirstRenderAfterFontChange(benchmark::State& state)
{
    rasterise(state, "IPAGothic", 1920, 1080, true);
}

} // namespace

BENCHMARK(BM_TextPreviewHorizontal)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextPreviewVertical)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextPreviewHorizontalA4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextFirstRenderAfterFontChange)->Unit(benchmark::kMillisecond);
