// What the crash journal costs: a long pen stroke (2,000 points at radius 10) on a 2048 × 2048
// paper in points per second, without and with the journal written at its commit; and how
// long a sync of the journal to the disk takes on its own thread.
#include "bench_paper.h"
#include "events/event_journal.h"
#include "events/event_mngr.h"
#include "paper/paper.h"

#include <benchmark/benchmark.h>

#include <ctime>
#include <filesystem>
#include <memory>
#include <random>

#include <unistd.h>

namespace qm {

namespace {

constexpr int32_t kSide = 2048;
constexpr int kPoints = 2000;

// A recording paper with the pen at radius 10.
struct JournalBenchPaper : BenchPaper {
    JournalBenchPaper()
    {
        paper->initPaper("bench", flow, kSide, kSide);
        stroke.resetToDefaults(0);
        stroke.setWidth(20.0f);
    }
};

// The pen thread's own processor time: what the journal costs it, whatever else the machine
// runs at the same time.
double threadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

std::string benchJournalPath(const char* name)
{
    return (std::filesystem::temp_directory_path() /
            (std::string("quillmere_bench_") + name + "_" + std::to_string(::getpid()) + ".qmj"))
        .string();
}

void BM_LongStroke(benchmark::State& state)
{
    const bool journaled = state.range(0) != 0;
    JournalBenchPaper d;
    CJournalRecorder recorder;
    std::unique_ptr<CJournalFile> file;
    double inJournal = 0.0;
    if (journaled) {
        std::string why;
        file = CJournalFile::create(benchJournalPath("stroke"), why);
        if (!file) {
            state.SkipWithError(why.c_str());
            return;
        }
        d.events().onCommitted = [&] {
            const double before = threadSeconds();
            file->append(recorder.update(d.events()));
            inJournal += threadSeconds() - before;
        };
    }
    const double started = threadSeconds();
    std::mt19937 rng(7);
    auto uniform = [&](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); };
    for (auto _ : state) {
        float x = uniform(200, kSide - 200), y = uniform(200, kSide - 200);
        d.paper->beginStroke(d.flow, d.stroke, true, x, y, 0.5f);
        for (int p = 1; p < kPoints; ++p) {
            x = std::clamp(x + uniform(-4, 4), 20.0f, kSide - 20.0f);
            y = std::clamp(y + uniform(-4, 4), 20.0f, kSide - 20.0f);
            d.paper->continueStroke(d.flow, d.stroke, true, nullptr, x, y, uniform(0.3f, 1.0f));
        }
        TRect rect;
        d.paper->endStroke(d.flow, d.stroke, true, rect, nullptr);
        // The undo records would grow without end; the recording keeps every stroke.
        d.paper->clearUndo();
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
    state.counters["points/s"] = benchmark::Counter(double(state.iterations() * kPoints),
                                                    benchmark::Counter::kIsRate);
    // The pen's thread spends this share of the stroke on the journal (the writing and the
    // syncing happen on the journal's own thread).
    state.counters["journal %"] = 100.0 * inJournal / std::max(1e-9, threadSeconds() - started);
    if (file) {
        d.events().onCommitted = nullptr;
        file->discard();
    }
}
BENCHMARK(BM_LongStroke)->Arg(0)->Arg(1)->ArgNames({"journal"})->Unit(benchmark::kMillisecond);

// One stroke's worth of records (about 20 KB) appended, then waited for until it is on the disk.
void BM_JournalSync(benchmark::State& state)
{
    std::string why;
    std::unique_ptr<CJournalFile> file = CJournalFile::create(benchJournalPath("sync"), why);
    if (!file) {
        state.SkipWithError(why.c_str());
        return;
    }
    const std::vector<uint8_t> record = journalRecordBytes(journalRecord::data, std::vector<uint8_t>(20000, 7));
    double syncMs = 0.0;
    for (auto _ : state) {
        file->append(record);
        file->waitSynced();
        syncMs += file->lastSyncMs();
    }
    state.counters["sync ms"] = syncMs / double(std::max<benchmark::IterationCount>(1, state.iterations()));
    file->discard();
}
BENCHMARK(BM_JournalSync)->Unit(benchmark::kMillisecond)->Iterations(50);

} // namespace

} // namespace qm
