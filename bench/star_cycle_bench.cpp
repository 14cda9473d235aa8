// Cost of one STAR job without the spooler: text stages, then parse, measure and draw of every
// section. Run with --benchmark_repetitions to get medians.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

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

// BM_Sample with each section encoded as the add-on hands it back, a PNG image: the difference
// is the encoding's cost.
void BM_SamplePng(benchmark::State& state, const char* file) {
    std::string layout;
    if (!readSample(file, layout)) {
        state.SkipWithError("cannot read the sample");
        return;
    }
    std::string png;
    int64_t bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        const kestrane::JobOutcome outcome =
            kestrane::drawReceipt(kBase, layout, [&](const kestrane::Canvas& canvas, std::size_t) {
                kestrane::encodePng(canvas, png);
                bytes += static_cast<int64_t>(png.size());
                return kestrane::jobOutcome(kestrane::JobStatus::kDrawn);
            });
        if (!outcome.succeeded()) {
            state.SkipWithError(kestrane::jobMessage(outcome).c_str());
            return;
        }
    }
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

BENCHMARK_MAIN();
