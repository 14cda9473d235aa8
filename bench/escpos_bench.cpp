// Cost of the EPSON conversion: layout text in, the ESC/POS stream out, in memory.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>

#include "jobs/receipt_jobs.h"
#include "synthetic_receipt.h"

namespace {

void BM_Escpos(benchmark::State& state, const char* file) {
    std::ifstream in(std::string(KESTRANE_SAMPLES) + "/" + file, std::ios::binary);
    const std::string layout{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::string stream;
        kestrane::escposStream(layout, stream);
        bytes = stream.size();
        benchmark::DoNotOptimize(stream.data());
    }
    // A guard on the set-up: an empty stream would look very fast.
    if (bytes == 0) state.SkipWithError("no stream");
    state.counters["bytes"] = static_cast<double>(bytes);
}

// The raster mode: the receipt drawn as the STAR cycle draws it, then its GS v 0 bands, for a
// printer `dots` wide (576: as drawn; 384: shrunk). Compare with BM_Sample of the STAR cycle.
void BM_EscposRaster(benchmark::State& state, const char* file) {
    std::ifstream in(std::string(KESTRANE_SAMPLES) + "/" + file, std::ios::binary);
    const std::string layout{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::string base = std::string(KESTRANE_SAMPLES) + "/base";
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::string stream;
        kestrane::escposRasterReceipt(base, layout, static_cast<int32_t>(state.range(0)), stream);
        bytes = stream.size();
        benchmark::DoNotOptimize(stream.data());
    }
    if (bytes == 0) state.SkipWithError("no stream");
    state.counters["bytes"] = static_cast<double>(bytes);
}

// The conversion's cost a row, as BM_Rows measures the STAR cycle's: a flat column is linear.
void BM_EscposRows(benchmark::State& state) {
    const int64_t rows = state.range(0);
    const std::string layout = bench::syntheticReceipt(rows, true);
    for (auto _ : state) {
        std::string stream;
        kestrane::escposStream(layout, stream);
        benchmark::DoNotOptimize(stream.data());
    }
    bench::countPerRow(state, rows);
}

}  // namespace

BENCHMARK(BM_EscposRows)->RangeMultiplier(10)->Range(10, 10000)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_EscposRaster, kestrane, "kestrane.html")->Arg(576)->Arg(384)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Escpos, kestrane, "kestrane.html")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Escpos, invoice, "invoice.html")->Unit(benchmark::kMicrosecond);
