// The compressor on realistic tile runs: 64 KiB of a painted layer's blocks (16 blocks of
// 32 × 32 BGRA with strokes, soft edges and flat areas), at levels 1 and 3, in MB/s of input
// and the ratio; and libpng encoding the same pixels, for comparison.
#include "files/compressor.h"
#include "files/png_codec.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

using namespace qm;

namespace {

// A 128 × 128 picture (64 KiB): a paper-white ground with a few anti-aliased strokes and a
// flat coloured area, the mix a drawing's tiles usually hold.
const TMTC& samplePicture()
{
    static const TMTC picture = [] {
        TMTC p(128, 128);
        for (int32_t y = 0; y < 128; ++y)
            for (int32_t x = 0; x < 128; ++x) {
                uint32_t pixel = 0x00FFFFFFu; // transparent white
                const double d1 = std::fabs(std::sin(x * 0.05) * 40 + 60 - y);
                const double d2 = std::fabs(x * 0.7 + 10 - y);
                const double d = std::min(d1, d2);
                if (d < 3.0)
                    pixel = uint32_t(255 * (1.0 - d / 3.0)) << 24 | 0x202020u;
                if (x > 80 && y > 90)
                    pixel = 0xFFE0B090u;
                p.row(y)[x] = pixel;
            }
        return p;
    }();
    return picture;
}

std::span<const uint8_t> sampleBytes()
{
    const TMTC& p = samplePicture();
    return {p.bits(), size_t(p.ByteSize())};
}

void BM_ZstdCompress(benchmark::State& state)
{
    const auto source = sampleBytes();
    std::vector<uint8_t> out;
    size_t compressed = 0;
    for (auto _ : state) {
        out.clear();
        compressed = compressAppend(source, out, int(state.range(0)));
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(source.size()));
    state.counters["ratio"] = double(source.size()) / double(compressed);
}
BENCHMARK(BM_ZstdCompress)->Arg(1)->Arg(3)->Arg(9);

void BM_ZstdDecompress(benchmark::State& state)
{
    const auto source = sampleBytes();
    std::vector<uint8_t> frame;
    compressAppend(source, frame, int(state.range(0)));
    std::vector<uint8_t> dest(source.size());
    for (auto _ : state) {
        decompressInto(frame, dest);
        benchmark::DoNotOptimize(dest.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(source.size()));
}
BENCHMARK(BM_ZstdDecompress)->Arg(1)->Arg(3)->Arg(9);

void BM_PngEncode(benchmark::State& state)
{
    const TMTC& picture = samplePicture();
    size_t encoded = 0;
    for (auto _ : state) {
        const auto bytes = encodePng(picture);
        encoded = bytes.size();
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * picture.ByteSize());
    state.counters["ratio"] = double(picture.ByteSize()) / double(encoded);
}
BENCHMARK(BM_PngEncode);

} // namespace
