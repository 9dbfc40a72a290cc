// Replaying a long recording: 2,000 strokes of 200 points, mixed brush kinds, on a 2048 × 2048
// paper of 10 layers, in stroke points per second; and the save and open of its file.
#include "bench_paper.h"
#include "events/event_file.h"
#include "events/event_mngr.h"
#include "paper/paper.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <random>

namespace qm {

namespace {

constexpr int32_t kSide = 2048;
constexpr int kStrokes = 2000;
constexpr int kPoints = 200;

const std::string& recordingPath()
{
    static const std::string path =
        (std::filesystem::temp_directory_path() / "quillmere_replay_bench.qm3").string();
    return path;
}

// Records the synthetic drawing once and saves it.
const TEventFileData& recording()
{
    static const TEventFileData data = [] {
        BenchPaper live;
        live.paper->initPaper("bench", live.flow, kSide, kSide);
        for (int i = 1; i < 10; ++i)
            live.paper->createLayer(live.flow, i, kSide, kSide, true, 255, 3, true);
        std::mt19937 rng(42);
        auto uniform = [&](float lo, float hi) {
            return std::uniform_real_distribution<float>(lo, hi)(rng);
        };
        static constexpr int kinds[] = {0, 0, 0, 5, 5, 1, 3, 6, 7, 8};
        for (int s = 0; s < kStrokes; ++s) {
            const int kind = kinds[rng() % 10];
            live.stroke.resetToDefaults(kind);
            live.stroke.setKind(kind);
            live.stroke.setWidth(uniform(2.0f, 20.0f));
            live.stroke.setColor(rng() & 0xFFFFFF);
            live.paper->setCurrentLayer(live.flow, int32_t(rng() % 10));
            float x = uniform(0, kSide), y = uniform(0, kSide);
            live.paper->beginStroke(live.flow, live.stroke, true, x, y, 0.5f);
            for (int p = 1; p < kPoints; ++p) {
                x += uniform(-6, 6), y += uniform(-6, 6);
                live.paper->continueStroke(live.flow, live.stroke, true, nullptr, x, y,
                                           uniform(0.2f, 1.0f));
            }
            TRect rect;
            live.paper->endStroke(live.flow, live.stroke, true, rect, nullptr);
        }
        live.events().saveToFile(recordingPath(), 1, true);
        TEventFileData out;
        readEventFile(recordingPath(), out);
        return out;
    }();
    return data;
}

void BM_ReplayLongRecording(benchmark::State& state)
{
    const TEventFileData& data = recording();
    for (auto _ : state) {
        BenchPaper replay;
        replay.events().openForReplay(data, replay.flow);
        if (replay.events().replayAll(replay.flow) != TReplayStep::end)
            state.SkipWithError("replay failed");
    }
    state.counters["points_per_s"] = benchmark::Counter(
        double(kStrokes) * kPoints * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["stream_MB"] = double(data.stream.size()) / 1e6;
}
BENCHMARK(BM_ReplayLongRecording)->Unit(benchmark::kSecond)->Iterations(1);

void BM_SaveRecordingFile(benchmark::State& state)
{
    const TEventFileData& data = recording();
    const std::string path = recordingPath() + ".save";
    for (auto _ : state)
        saveEventFile(path, data, nullptr, 0, true);
    state.counters["file_MB"] = double(std::filesystem::file_size(path)) / 1e6;
    std::filesystem::remove(path);
}
BENCHMARK(BM_SaveRecordingFile)->Unit(benchmark::kMillisecond);

void BM_OpenRecordingFile(benchmark::State& state)
{
    recording();
    for (auto _ : state) {
        TEventFileData data;
        readEventFile(recordingPath(), data);
        benchmark::DoNotOptimize(data.stream.data());
    }
}
BENCHMARK(BM_OpenRecordingFile)->Unit(benchmark::kMillisecond);

} // namespace

} // namespace qm
