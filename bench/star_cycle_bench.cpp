// Cost of one STAR job without the spooler: text stages, then parse, measure and draw of every
// section. Run with --benchmark_repetitions to get medians.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "jobs/job_messages.h"
#include "jobs/receipt_jobs.h"
#include "platform/png_file.h"
#include "synthetic_receipt.h"

namespace {

const std::string kBase = std::string(KESTRANE_SAMPLES) + "/base";

bool readSample(const std::string& name, std::string& bytes) {
    std::ifstream in(std::string(KESTRANE_SAMPLES) + "/" + name, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.fail();
}

// One job as the print path runs it; returns the summed section heights. A failure aborts the
// benchmark: timing a cycle that stops early would report a figure far too good.
int64_t runStarCycle(benchmark::State& state, const std::string& layout) {
    int64_t height = 0;
    const kestrane::JobOutcome outcome = kestrane::drawReceipt(
        kBase, layout, [&](const kestrane::Canvas& canvas, std::size_t) {
            height += canvas.height;
            benchmark::DoNotOptimize(canvas.bits.data());
            benchmark::ClobberMemory();
            return kestrane::jobOutcome(kestrane::JobStatus::kDrawn);
        });
    if (!outcome.succeeded()) {
        state.SkipWithError(kestrane::jobMessage(outcome).c_str());
        return 0;
    }
    return height;
}

// The height counter is a guard on the set-up: a missing image still renders, only shorter, so
// a wrong base directory shows there (and as a figure that looks too good).
void BM_Sample(benchmark::State& state, const char* file) {
    std::string layout;
    if (!readSample(file, layout)) {
        state.SkipWithError("cannot read the sample");
        return;
    }
    int64_t height = 0;
    for (auto _ : state) height = runStarCycle(state, layout);
    state.counters["height"] = static_cast<double>(height);
}

// runStarCycle with each section encoded as the add-on hands it back, a PNG image (into `png`);
// returns the bytes of all the images.
int64_t runPngCycle(benchmark::State& state, const std::string& layout, std::string& png) {
    int64_t bytes = 0;
    const kestrane::JobOutcome outcome =
        kestrane::drawReceipt(kBase, layout, [&](const kestrane::Canvas& canvas, std::size_t) {
            kestrane::encodePng(canvas, png);
            bytes += static_cast<int64_t>(png.size());
            return kestrane::jobOutcome(kestrane::JobStatus::kDrawn);
        });
    if (!outcome.succeeded()) state.SkipWithError(kestrane::jobMessage(outcome).c_str());
    return bytes;
}

// BM_Sample with each section encoded: the difference is the encoding's cost.
void BM_SamplePng(benchmark::State& state, const char* file) {
    std::string layout;
    if (!readSample(file, layout)) {
        state.SkipWithError("cannot read the sample");
        return;
    }
    std::string png;
    int64_t bytes = 0;
    for (auto _ : state) bytes = runPngCycle(state, layout, png);
    state.counters["png_bytes"] = static_cast<double>(bytes);
}

// CPU rather than wall time a row: other work on the machine stretches the wall clock of the
// long runs most.
void benchRows(benchmark::State& state, bool withCodes) {
    const int64_t rows = state.range(0);
    const std::string layout = bench::syntheticReceipt(rows, withCodes);
    for (auto _ : state) runStarCycle(state, layout);
    state.SetComplexityN(rows);
    bench::countPerRow(state, rows);
}

void BM_Rows(benchmark::State& state) { benchRows(state, false); }
void BM_RowsWithCodes(benchmark::State& state) { benchRows(state, true); }

double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// How much longer the second job takes than the first, from pairs timed back to back (processor
// time of this thread), their order alternating: the slow spells of a machine, seconds long on a
// virtual one, then fall on both halves of a pair, where two figures measured apart compare one
// spell with another. The counter is the median of the pairs' ratios.
void benchPairs(benchmark::State& state, const std::function<void()>& first,
                const std::function<void()>& second) {
    std::vector<double> ratios;
    for (auto _ : state) {
        const bool firstFirst = ratios.size() % 2 == 0;
        double seconds[2] = {0, 0};
        for (int turn = 0; turn < 2; ++turn) {
            const bool isFirst = (turn == 0) == firstFirst;
            const double start = threadSeconds();
            (isFirst ? first : second)();
            seconds[isFirst ? 0 : 1] = threadSeconds() - start;
        }
        ratios.push_back(seconds[1] / seconds[0]);
    }
    std::nth_element(ratios.begin(), ratios.begin() + static_cast<std::ptrdiff_t>(ratios.size() / 2), ratios.end());
    state.counters["ratio"] = ratios.empty() ? 0 : ratios[ratios.size() / 2];
}

// A row of a 10,000-row receipt against a row of a 1,000-row one: one 10,000-row job against
// ten 1,000-row jobs, so a ratio of 1 means the same cost a row.
void BM_RowsGrowth(benchmark::State& state) {
    const std::string thousand = bench::syntheticReceipt(1000, false);
    const std::string tenThousand = bench::syntheticReceipt(10000, false);
    benchPairs(
        state, [&] { for (int i = 0; i < 10; ++i) runStarCycle(state, thousand); },
        [&] { runStarCycle(state, tenThousand); });
}

// The sample drawn and each section encoded as PNG, against the sample drawn.
void BM_PngShare(benchmark::State& state) {
    std::string layout, png;
    if (!readSample("kestrane.html", layout)) {
        state.SkipWithError("cannot read the sample");
        return;
    }
    benchPairs(
        state, [&] { runStarCycle(state, layout); }, [&] { runPngCycle(state, layout, png); });
}

}  // namespace

BENCHMARK_CAPTURE(BM_Sample, kestrane, "kestrane.html")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SamplePng, kestrane, "kestrane.html")->Unit(benchmark::kMicrosecond);
// Two jobs at once share the image cache and the glyph caches: the time a job should stay close
// to the single-thread figure on two cores.
BENCHMARK_CAPTURE(BM_Sample, kestrane_two_threads, "kestrane.html")
    ->Threads(2)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Sample, vexo, "vexo.html")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Sample, invoice, "invoice.html")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Rows)
    ->RangeMultiplier(10)
    ->Range(10, 10000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RowsWithCodes)->Arg(100)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RowsGrowth)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngShare)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
